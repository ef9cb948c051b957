#!/usr/bin/env bash
# Makes the release files in dist/:
#   Hangarix-<version>-win64.zip        portable: unpack anywhere and start hangarix.exe
#   Hangarix-<version>-win64-setup.exe  installer for the current user, made with NSIS
#   hangarix_<version>_amd64.deb        Debian package, made with CPack
# The Windows files come from the MinGW build (built first by scripts/test-windows.sh
# --build-only, which builds only what is missing), the Debian package from the preset
# `release` (configured and built here).
#
# The DLLs come from the programs themselves: the imports of each program, DLL and plugin
# (objdump) are looked up in MinGW's run-time folders and Qt's bin, recursively. A DLL found
# nowhere fails the packaging, unless it is part of Windows (MinGW-w64 ships an import library
# for it, or it is an API set, api-ms-win-*). The programs and DLLs lose their debug sections and symbol tables;
# nothing is packed.
#
#   bash scripts/package.sh              # build what is missing, then package
#   bash scripts/package.sh --no-build   # package the builds as they are
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=$source_dir/build-mingw
dist=$source_dir/dist
triplet=x86_64-w64-mingw32
objdump=$triplet-objdump
strip=$triplet-strip
mingw_lib=/usr/$triplet/lib
started=$SECONDS

log() { printf '== %s\n' "$*"; }
die() { printf 'package.sh: %s\n' "$*" >&2; exit 1; }

# The plugins the window loads: the platform, the native style, the image formats it reads
# (JPEG pictures of the catalogue, the ICO of its icon).
plugins=(platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qjpeg.dll
    imageformats/qico.dll)

source scripts/lib/debian-sources.sh
# dpkg-dev: dpkg-shlibdeps, which CPack asks for the package's dependencies.
install_missing nsis dpkg-dev
if [[ ${1:-} != --no-build ]]; then
    bash scripts/test-windows.sh --build-only
    cmake --preset release
    cmake --build --preset release
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || die "no project version in $build/CMakeCache.txt"
qt=$(sed -n 's/^HX_WINDOWS_QT:[A-Z]*=//p' "$build/CMakeCache.txt")
[[ -n $qt ]] || qt=$(find "${HOME:-/root}/.cache/hangarix" -maxdepth 1 -name 'qt-*-mingw-*' | head -1)
[[ -f $qt/bin/Qt6Core.dll ]] || die "Qt for Windows not found (looked in '$qt')"
gcc_lib=$(dirname "$("$triplet-g++-posix" -print-libgcc-file-name)")
search=("$gcc_lib" "$mingw_lib" "$qt/bin")

name=Hangarix-$version-win64
stage=$build/package/$name
rm -rf "$build/package" && mkdir -p "$stage" "$dist"

# The file named $1 (any case) in the first folder of $search that has it.
find_dll() {
    local dir hit
    for dir in "${search[@]}"; do
        hit=$(find "$dir" -maxdepth 1 -iname "$1" -print -quit)
        [[ -n $hit ]] && { printf '%s\n' "$hit"; return 0; }
    done
    return 1
}

is_windows_dll() {
    local lower=${1,,}
    [[ $lower == api-ms-win-* || $lower == ext-ms-win-* || -f $mingw_lib/lib${lower%.dll}.a ]]
}

# Copies the imports of the PE file $1, and theirs, beside the programs.
declare -A seen=()
bundle_imports() {
    local dll found
    for dll in $("$objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r'); do
        [[ -n ${seen[${dll,,}]:-} ]] && continue
        seen[${dll,,}]=1
        if found=$(find_dll "$dll"); then
            cp "$found" "$stage/"
            bundle_imports "$found"
        elif ! is_windows_dll "$dll"; then
            die "$dll, needed by $(basename "$1"), found in none of: ${search[*]}"
        fi
    done
}

log "staging $name"
cp "$build/src/app/hangarix.exe" "$build/src/hangarix-cli.exe" "$stage/"
bundle_imports "$stage/hangarix.exe"
bundle_imports "$stage/hangarix-cli.exe"
for plugin in "${plugins[@]}"; do
    [[ -f $qt/plugins/$plugin ]] || die "Qt plugin $plugin missing from $qt/plugins"
    mkdir -p "$stage/$(dirname "$plugin")"
    cp "$qt/plugins/$plugin" "$stage/$plugin"
    bundle_imports "$stage/$plugin"
done
find "$stage" -iname '*.dll' -o -iname '*.exe' | while read -r pe; do
    "$strip" --strip-all "$pe"
done

# Windows text files: CR LF line ends.
crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }

# Qt looks for its plugins beside the program; this keeps it from looking anywhere else.
printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\n' >"$stage/qt.conf"
crlf README.md "$stage/README.txt"

licences=$stage/licences
mkdir -p "$licences"
crlf "$qt/licenses/LGPL-3.0-only.txt" "$licences/Qt-LGPL-3.0.txt"
crlf "$qt/licenses/GPL-3.0-only.txt" "$licences/Qt-GPL-3.0.txt"
libzip_licence=$(find "$build/libzip-src" -mindepth 2 -maxdepth 2 -name LICENSE -print -quit)
[[ -f $libzip_licence ]] || die "libzip's LICENSE not found under $build/libzip-src"
crlf "$libzip_licence" "$licences/libzip.txt"
crlf /usr/share/doc/libz-mingw-w64/copyright "$licences/zlib.txt"
crlf /usr/share/doc/gcc-mingw-w64-base/copyright "$licences/MinGW-GCC-runtime.txt"
crlf /usr/share/doc/mingw-w64-common/copyright "$licences/MinGW-w64-winpthreads.txt"
qt_version=$(basename "$qt" | cut -d- -f2)
qt_debian_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
cp scripts/qt-windows.sh "$licences/qt-windows.sh"
crlf /dev/stdin "$licences/README.txt" <<EOF
Licences of what Hangarix $version for Windows bundles

Qt $qt_version (Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll and the plugins in platforms,
styles and imageformats) is used under the GNU Lesser General Public License version 3:
Qt-LGPL-3.0.txt, which refers to the GNU General Public License version 3 in
Qt-GPL-3.0.txt. These DLLs are built from Debian's source package qt6-base
$qt_debian_version ("apt-get source qt6-base=$qt_debian_version" on Debian 12, or
https://sources.debian.org/src/qt6-base/) by qt-windows.sh, the script beside this file,
which holds the one change made to those sources (in src/gui/painting/qgrayraster.c, the
rasterizer's setjmp and longjmp become GCC's __builtin_setjmp and __builtin_longjmp on
MinGW-w64) and the options Qt is configured with. You may replace these DLLs with your own
build of Qt $qt_version.

The MinGW-w64 run-time: libstdc++-6.dll and libgcc_s_seh-1.dll come from GCC under the
GNU General Public License version 3 with the GCC Runtime Library Exception, both in
MinGW-GCC-runtime.txt; libwinpthread-1.dll comes from MinGW-w64's winpthreads under the
MIT-style licence in MinGW-w64-winpthreads.txt.

libzip, linked into both programs: libzip.txt (BSD 3-clause).
zlib (zlib1.dll): zlib.txt (the zlib licence).
EOF

(cd "$stage" && find . -type f | LC_ALL=C sort) >"$build/package/files.txt"
log "$(wc -l <"$build/package/files.txt") files staged: $(tr '\n' ' ' <"$build/package/files.txt" | sed 's|\./||g')"

zip=$dist/$name.zip
rm -f "$zip"
(cd "$build/package" && cmake -E tar cf "$zip" --format=zip "$name")
log "wrote $zip ($(du -h "$zip" | cut -f1))"

# The uninstaller's list: each staged file, then each folder, deepest first.
nsh=$build/package/files.nsh
{
    sed 's|^\./||; s|/|\\|g; s|.*|  Delete "$INSTDIR\\&"|' "$build/package/files.txt"
    (cd "$stage" && find . -mindepth 1 -type d | LC_ALL=C sort -r) |
        sed 's|^\./||; s|/|\\|g; s|.*|  RMDir "$INSTDIR\\&"|'
} >"$nsh"
setup=$dist/$name-setup.exe
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DFILES_NSH="$nsh" \
    -DICON="$build/src/app/hangarix.ico" -DOUTFILE="$setup" packaging/windows/hangarix.nsi
log "wrote $setup ($(du -h "$setup" | cut -f1))"

# ---- The Debian package -------------------------------------------------------------------
release=$source_dir/build-release
[[ -f $release/CPackConfig.cmake ]] || die "no release build in $release: run without --no-build"
deb_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$release/CMakeCache.txt")
[[ $deb_version == "$version" ]] || die "the release build is $deb_version, the Windows build $version"
deb=$dist/hangarix_${version}_amd64.deb
rm -f "$deb"
(cd "$release" && cpack --config CPackConfig.cmake -G DEB) >"$release/cpack.log" 2>&1 ||
    { cat "$release/cpack.log"; die "cpack failed"; }
[[ -f $deb ]] || die "cpack wrote no $deb (see $release/cpack.log)"
log "wrote $deb ($(du -h "$deb" | cut -f1)), $(dpkg-deb -f "$deb" Depends)"
log "packaged after $((SECONDS - started)) s"
