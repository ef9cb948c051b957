#!/usr/bin/env bash
# Cross-builds Hangarix for 64-bit Windows with MinGW-w64, the window included, and runs every
# test under Wine, ending with ctest's summary.
#
# Installs what is missing (as root, on Debian 12). Qt for Windows is built once by
# scripts/qt-windows.sh into a cache outside the checkout. libzip is not packaged for MinGW: it
# is built once from Debian's own source package against the MinGW zlib, libdeflate from its
# source package too, and GoogleTest from
# Debian's googletest sources, both cached in build-mingw/deps. The Wine prefix lives in
# build-mingw/wine, so the user's own prefix is never touched.
#
#   bash scripts/test-windows.sh                # build and test
#   bash scripts/test-windows.sh --build-only   # build hangarix.exe and hangarix-cli.exe only
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/debian-sources.sh
source scripts/lib/wine.sh
source_dir=$PWD
build=$source_dir/build-mingw
deps=$build/deps
jobs=${JOBS:-2}
triplet=x86_64-w64-mingw32
started=$SECONDS

log() { printf '== %s\n' "$*"; }

install_packages() {
    install_missing g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine wine64 dpkg-dev cmake \
        ninja-build pkgconf googletest python3 xvfb xauth fonts-dejavu-core fonts-urw-base35 nsis
}

build_libzip() {
    [[ -f $deps/lib/libzip.a ]] && return
    enable_debian_sources
    log "building libzip for $triplet from Debian's source package"
    rm -rf "$build/libzip-src" && mkdir -p "$build/libzip-src"
    (cd "$build/libzip-src" && apt-get source -q libzip)
    local src
    src=$(find "$build/libzip-src" -mindepth 1 -maxdepth 1 -type d -name 'libzip-*' | head -1)
    cmake -S "$src" -B "$build/libzip-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-x86_64.cmake" \
        -DHX_WINDOWS_DEPS="$deps" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" \
        -DBUILD_SHARED_LIBS=OFF -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF \
        -DBUILD_DOC=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
        -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF \
        -DENABLE_WINDOWS_CRYPTO=OFF >"$build/libzip-configure.log"
    cmake --build "$build/libzip-build" -j "$jobs" >"$build/libzip-build.log"
    cmake --install "$build/libzip-build" >/dev/null
}

# libdeflate (the one-call inflater and CRC-32): its sources are compiled as they stand into a
# static library, which is all its own Makefile would do for this target.
build_libdeflate() {
    [[ -f $deps/lib/libdeflate.a ]] && return
    enable_debian_sources
    log "building libdeflate for $triplet from Debian's source package"
    rm -rf "$build/libdeflate-src" && mkdir -p "$build/libdeflate-src/obj"
    (cd "$build/libdeflate-src" && apt-get source -q libdeflate >/dev/null 2>&1)
    local src
    src=$(find "$build/libdeflate-src" -mindepth 1 -maxdepth 1 -type d -name 'libdeflate-*' | head -1)
    local file
    for file in "$src"/lib/*.c "$src"/lib/*/*.c; do
        "$triplet-gcc-posix" -O2 -DNDEBUG -I"$src" -c "$file" \
            -o "$build/libdeflate-src/obj/$(basename "$(dirname "$file")")_$(basename "$file" .c).o"
    done
    mkdir -p "$deps/lib/pkgconfig" "$deps/include"
    "$triplet-ar" rcs "$deps/lib/libdeflate.a" "$build/libdeflate-src"/obj/*.o
    cp "$src/libdeflate.h" "$deps/include/"
    cat >"$deps/lib/pkgconfig/libdeflate.pc" <<EOF
prefix=$deps
includedir=\${prefix}/include
libdir=\${prefix}/lib
Name: libdeflate
Description: whole-buffer DEFLATE, zlib and gzip compression and decompression
Version: $(sed -n 's/^#define LIBDEFLATE_VERSION_STRING[[:space:]]*"\(.*\)"/\1/p' "$src/libdeflate.h")
Cflags: -I\${includedir}
Libs: -L\${libdir} -ldeflate
EOF
}

build_googletest() {
    [[ -f $deps/lib/libgtest.a ]] && return
    log "building GoogleTest for $triplet from /usr/src/googletest"
    cmake -S /usr/src/googletest -B "$build/googletest-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-x86_64.cmake" \
        -DHX_WINDOWS_DEPS="$deps" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" \
        -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF >"$build/googletest-configure.log"
    cmake --build "$build/googletest-build" -j "$jobs" >"$build/googletest-build.log"
    cmake --install "$build/googletest-build" >/dev/null
}

# cpp-httplib: Debian's package is split into a header and a Linux library, but its source
# package holds the original header-only httplib.h, which the MinGW build uses as it is.
provide_httplib() {
    [[ -f $deps/include/httplib.h ]] && return
    enable_debian_sources
    log "taking the header-only httplib.h from Debian's source package"
    rm -rf "$build/httplib-src" && mkdir -p "$build/httplib-src" "$deps/include" "$deps/lib/pkgconfig"
    (cd "$build/httplib-src" && apt-get source -q --download-only cpp-httplib >/dev/null 2>&1 &&
        dpkg-source -x ./*.dsc src >/dev/null 2>&1)
    cp "$build/httplib-src/src/httplib.h" "$deps/include/"
    cat >"$deps/lib/pkgconfig/cpp-httplib.pc" <<EOF
prefix=$deps
includedir=\${prefix}/include
Name: cpp-httplib
Description: header-only HTTP server and client
Version: $(sed -n 's/^#define CPPHTTPLIB_VERSION "\(.*\)"/\1/p' "$deps/include/httplib.h")
Cflags: -I\${includedir}
Libs: -lws2_32
EOF
}

# A Wine prefix of our own, made without any window (no display is needed).
prepare_wine() {
    export WINEPREFIX=$build/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    export DISPLAY=
    mkdir -p "$WINEPREFIX"
    [[ -n ${wine_server_started:-} ]] && return
    # One server for the whole run, so each test does not pay for starting it.
    wineserver -p
    wine_server_started=1
    start_wine_prefix
}

stop_wine() {
    [[ -n ${wine_server_started:-} ]] && WINEPREFIX=$build/wine wineserver -k 2>/dev/null || true
}

# End to end under Wine: hangarix-cli.exe finds FS9 and FSX from keys in the registry's 32-bit
# view, installs a package into a sandbox and removes it, and downloads and unpacks a livery
# from a catalogue it serves itself on 127.0.0.1.
e2e_failures=0
check() {
    local what=$1
    shift
    if "$@"; then
        log "end to end: $what"
    else
        log "end to end FAILED: $what"
        e2e_failures=$((e2e_failures + 1))
    fi
}

# Programs of the build run through its wrapper, which puts their DLLs on Wine's path.
wine_run() { "$build/wine-run.sh" "$@"; }
cli() { wine_run "$build/src/hangarix-cli.exe" "$@" 2>&1 | tr -d '\r'; }


registry_keys() {
    local key='HKLM\Software\Microsoft\Microsoft Games\Flight Simulator'
    wine reg add "$key\\10.0" /v SetupPath /t REG_SZ /d "$(winpath "$box/FSX")\\" /f /reg:32 >/dev/null
    check "FSX found from its key" [ "$(cli -C "$(winpath "$box/start")" sim)" = "FSX	$(winpath "$box/FSX")\\" ]
    wine reg add "$key\\9.0" /v "EXE Path" /t REG_SZ /d "$(winpath "$box/FS9")" /f /reg:32 >/dev/null
    check "FS9 found first when both are there" [ "$(cli -C "$(winpath "$box/start")" sim)" = "FS9	$(winpath "$box/FS9")" ]
    # Prepar3D in the view of its own program: v3 is 32-bit, v5 64-bit; a v4 key in the 32-bit
    # view is not where v4 writes, and a folder that does not exist is left out.
    local lm='HKLM\Software\Lockheed Martin\Prepar3D'
    mkdir -p "$box/FS9" "$box/FSX" "$box/P3D3" "$box/P3D4" "$box/P3D5"
    wine reg add "$lm v3" /v SetupPath /t REG_SZ /d "$(winpath "$box/P3D3")" /f /reg:32 >/dev/null
    wine reg add "$lm v4" /v SetupPath /t REG_SZ /d "$(winpath "$box/P3D4")" /f /reg:32 >/dev/null
    wine reg add "$lm v5" /v SetupPath /t REG_SZ /d "$(winpath "$box/P3D5")" /f /reg:64 >/dev/null
    wine reg add "$lm v6" /v SetupPath /t REG_SZ /d "$(winpath "$box/Gone")" /f /reg:64 >/dev/null
    check "sims lists FS9, FSX, Prepar3D v3 and v5" [ "$(cli -C "$(winpath "$box/start")" sims | cut -f1 | tr '\n' ' ')" = "FS9 FSX P3D3 P3D5 " ]
    check "--sim p3d5 takes its folder" [ "$(cli -C "$(winpath "$box/start")" --sim p3d5 sim)" = "P3D5	$(winpath "$box/P3D5")" ]
}

install_and_remove() {
    local product=$box/FSX/SimObjects/Airplanes/KZQ_A320 config
    config=$'[fltsim.0]\r\ntitle=Base\r\ntexture=Base\r\nui_variation=Base\r\n\r\n[General]\r\n'
    mkdir -p "$product/texbase" "$box/start/downloads/Blue/texture.Blue"
    printf '%s' "$config" >"$product/aircraft.cfg"
    printf 'BM' >"$product/texbase/a.bmp"
    printf 'not a bitmap' >"$product/texbase/a.bmpx"
    printf '[fltsim.XX]\r\ntitle=KZQ A320 Blue\r\ntexture=Blue\r\nui_variation=Blue\r\nproductfolder=A320\r\n' \
        >"$box/start/downloads/Blue/installerinfo.txt"
    printf 'BM' >"$box/start/downloads/Blue/texture.Blue/Жук.bmp"
    check "package installed" [ "$(cli -C "$(winpath "$box/start")" --sim fsx install Blue)" = "Installation completed" ]
    check "Жук.bmp copied" [ -f "$product/texture.Blue/Жук.bmp" ]
    check "a.bmp of texbase copied" [ -f "$product/texture.Blue/a.bmp" ]
    check "a.bmpx not taken by *.bmp" [ ! -e "$product/texture.Blue/a.bmpx" ]
    check "livery removed" [ "$(cli -C "$(winpath "$box/start")" --sim fsx remove KZQ_A320 1)" = "Removed succesfully" ]
    check "its texture folder deleted" [ ! -e "$product/texture.Blue" ]
    check "its entry cut from aircraft.cfg" [ "$(grep -c 'fltsim\.' "$product/aircraft.cfg")" = 1 ]
}

download() {
    local served=$box/served product=$box/FS9/Aircraft/KZQ_B738 url
    mkdir -p "$served/hangarix" "$product"
    printf '[fltsim.0]\r\ntitle=Base\r\n\r\n[General]\r\n' >"$product/aircraft.cfg"
    python3 - "$served/b738.zip" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("Red/installerinfo.txt",
               "[fltsim.XX]\r\ntitle=KZQ B738 Red\r\ntexture=Red\r\nproductfolder=B738\r\n")
    z.writestr("Red/texture.Red/Жук.bmp", "BM" * 5000)
EOF
    wine_run "$build/src/hangarix-cli.exe" serve "$(winpath "$served")" >"$box/serve.out" 2>/dev/null &
    local server=$!
    for _ in $(seq 100); do
        url=$(tr -d '\r' <"$box/serve.out" | head -1)
        [[ -n $url ]] && break
        sleep 0.1
    done
    printf 'B738&&b738.txt;;\r\n' >"$served/hangarix/prod.txt"
    printf 'Red&&%sb738.zip;;!!\r\n' "$url" >"$served/hangarix/b738.txt"
    # The first line is the message; what was installed follows it, from stderr.
    check "downloaded and installed" [ "$(cli -C "$(winpath "$box/start")" --sim fs9 --catalogue-url "$url" download 0 0 | head -1)" = "Downloading and Installing completed" ]
    check "the archive's texture unpacked and copied" [ -f "$product/texture.Red/Жук.bmp" ]
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
}

end_to_end() {
    box=$build/e2e
    rm -rf "$box" && mkdir -p "$box/start"
    registry_keys
    install_and_remove
    download
    wine reg delete 'HKLM\Software\Microsoft\Microsoft Games' /f /reg:32 >/dev/null 2>&1 || true
    return $((e2e_failures > 0))
}

# What Windows users see: the window on Wine's real "windows" platform under Xvfb, each panel of
# the demo rendered to a PNG in build-mingw/screenshots (with --screenshots, also into
# docs/screenshots/windows). A panel that does not render is a failure.
screenshots() {
    local shots=$build/screenshots demo=$build/screenshot-demo failures=0
    rm -rf "$shots" "$demo" && mkdir -p "$shots"
    for panel in local catalogue removal progress installing; do
        if xvfb-run -a -s '-screen 0 1280x1024x24' env -u QT_QPA_PLATFORM \
            "$build/wine-run.sh" "$build/src/app/hangarix.exe" --demo "$(winpath "$demo")" \
            --screenshot "$(winpath "$shots/$panel.png")" --panel "$panel" \
            >"$shots/$panel.log" 2>&1 && [[ -s $shots/$panel.png ]]; then
            log "screenshot: $panel"
        else
            log "screenshot FAILED: $panel"
            cat "$shots/$panel.log"
            failures=$((failures + 1))
        fi
    done
    if [[ ${1:-} == --screenshots ]] && ((failures == 0)); then
        mkdir -p docs/screenshots/windows
        cp "$shots"/*.png docs/screenshots/windows/
    fi
    return $((failures > 0))
}

install_packages
mkdir -p "$deps"
build_libzip
build_libdeflate
build_googletest
provide_httplib
HX_WINDOWS_QT=$(bash scripts/qt-windows.sh | tail -1)
export HX_WINDOWS_QT
log "dependencies ready after $((SECONDS - started)) s"

# The build runs the icon tool under Wine, so the prefix is made first.
prepare_wine
trap stop_wine EXIT
cmake --preset mingw >"$build/configure.log" || { cat "$build/configure.log"; exit 1; }
cmake --build --preset mingw
log "built after $((SECONDS - started)) s"
[[ ${1:-} == --build-only ]] && exit 0

status=0
end_to_end || status=$?
log "end to end checked after $((SECONDS - started)) s"
screenshots "${1:-}" || status=$?
log "screenshots taken after $((SECONDS - started)) s"
ctest --preset mingw || status=$?
log "finished after $((SECONDS - started)) s"
exit $status
