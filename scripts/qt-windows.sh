#!/usr/bin/env bash
# Builds Qt 6 (qtbase: Core, Gui, Widgets, Test) for 64-bit Windows with MinGW-w64, from Debian's
# own qt6-base source package, the same version as the host Qt whose moc, rcc and uic the cross
# build uses. The result is installed once into a cache folder outside the checkout, named after
# the Qt version and a hash of this script's options and patches, so a second run finds it and
# returns at once. Prints the installed prefix as its last line.
#
#   bash scripts/qt-windows.sh            # build if missing, print the prefix
#   HANGARIX_CACHE=/some/dir bash ...     # cache root (default ${XDG_CACHE_HOME:-~/.cache}/hangarix)
#
# Needs root on a machine without the packages: it installs them and a deb-src entry.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
source scripts/lib/debian-sources.sh
jobs=${JOBS:-2}
triplet=x86_64-w64-mingw32
started=$SECONDS

log() { printf '== %s\n' "$*" >&2; }

install_packages() {
    install_missing g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools dpkg-dev cmake \
        ninja-build perl python3 xz-utils
}

# Only what the window and its tests use. Network, SQL, XML, D-Bus, printing and OpenGL are off;
# the window draws with the raster engine. Every third-party library is Qt's bundled copy, so
# the DLLs depend on nothing but Windows and the MinGW run-time. Debian's source lacks
# src/3rdparty/wintab, hence no tablet events. direct2d stays on: the windows plugin's
# DirectWrite font database is only built with it.
qt_options=(
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++
    -DFEATURE_pkg_config=OFF
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_xml=OFF -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF
    -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_tabletevent=OFF -DFEATURE_zstd=OFF -DFEATURE_androiddeployqt=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_doubleconversion=OFF
    -DFEATURE_jpeg=ON -DFEATURE_ico=ON -DFEATURE_freetype=ON -DFEATURE_accessibility=ON
)

# Patches applied to Debian's source before the build (idempotent).
patch_sources() {
    local src=$1
    # The gray rasterizer leaves a rendering pass with longjmp. MinGW-w64's setjmp records an
    # SEH frame that longjmp unwinds through, which crashes in the raster painter (QTBUG-94692);
    # the compiler's own non-local goto does not unwind and is all this code needs.
    local raster=$src/src/gui/painting/qgrayraster.c
    if ! grep -q '__builtin_setjmp' "$raster"; then
        python3 - "$raster" <<'EOF'
import sys
path = sys.argv[1]
text = open(path).read()
old = "#define qt_ft_setjmp   setjmp\n#define qt_ft_longjmp  longjmp\n#define qt_ft_jmp_buf  jmp_buf\n"
new = ("#if defined(__MINGW64__)\n"
       "typedef void *qt_ft_builtin_jmp_buf[5];\n"
       "#define qt_ft_setjmp(buf)       __builtin_setjmp(buf)\n"
       "#define qt_ft_longjmp(buf, val) __builtin_longjmp(buf, 1)\n"
       "#define qt_ft_jmp_buf  qt_ft_builtin_jmp_buf\n"
       "#else\n" + old + "#endif\n")
assert old in text, "qgrayraster.c: setjmp macros not found"
open(path, "w").write(text.replace(old, new, 1))
EOF
    fi
}

host_qt_version() {
    dpkg-query -W -f='${Version}' qt6-base-dev | sed 's/+.*//; s/-.*//; s/^[0-9]*://'
}

install_packages
version=$(host_qt_version)
key=$( (printf '%s\n' "$version" "${qt_options[@]}"; declare -f patch_sources) | sha256sum | cut -c1-10)
home=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
cache_root=${HANGARIX_CACHE:-${XDG_CACHE_HOME:-$home/.cache}/hangarix}
prefix=$cache_root/qt-$version-mingw-$key
if [[ -f $prefix/.complete ]]; then
    log "Qt $version for Windows found in $prefix"
    echo "$prefix"
    exit 0
fi

work=$cache_root/qt-$version-mingw-$key.work
mkdir -p "$work"
if [[ ! -f $work/src/CMakeLists.txt ]]; then
    enable_debian_sources >&2
    log "taking Debian's qt6-base $version source"
    rm -rf "$work/src" "$work/dl" && mkdir -p "$work/dl"
    (cd "$work/dl" && apt-get source -q --download-only "qt6-base=$(dpkg-query -W -f='${Version}' qt6-base-dev)" >&2 &&
        dpkg-source -x ./*.dsc "$work/src" >/dev/null)
    rm -rf "$work/dl"
fi
patch_sources "$work/src"

if [[ ! -f $work/build/build.ninja ]]; then
    log "configuring Qt $version for $triplet (a few minutes)"
    cmake -S "$work/src" -B "$work/build" -G Ninja \
        -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=AMD64 \
        -DCMAKE_C_COMPILER=$triplet-gcc-posix -DCMAKE_CXX_COMPILER=$triplet-g++-posix \
        -DCMAKE_RC_COMPILER=$triplet-windres \
        -DCMAKE_FIND_ROOT_PATH=/usr/$triplet -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER \
        -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY \
        -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_INSTALL_PREFIX="$prefix" "${qt_options[@]}" >"$work/configure.log" 2>&1 ||
        { tail -60 "$work/configure.log" >&2; rm -f "$work/build/build.ninja"; exit 1; }
fi
log "building Qt $version for $triplet (about 30 minutes at -j$jobs the first time)"
cmake --build "$work/build" -j "$jobs" >"$work/build.log" 2>&1 ||
    { grep -B5 -A20 -m3 'FAILED\|error:' "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >"$work/install.log" 2>&1 || { tail -30 "$work/install.log" >&2; exit 1; }
mkdir -p "$prefix/licenses" && cp "$work/src/LICENSES/"* "$prefix/licenses/"
touch "$prefix/.complete"
rm -rf "$work"
log "Qt $version for Windows built in $((SECONDS - started)) s into $prefix"
echo "$prefix"
