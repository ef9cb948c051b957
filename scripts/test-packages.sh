#!/usr/bin/env bash
# Installs the release files of dist/ (made by scripts/package.sh) on clean systems and starts
# them. Each Windows check runs in a fresh Wine prefix of its own under build-mingw/package-test,
# with plain wine and nothing on Wine's path, so a DLL the release lacks makes a program fail
# here as it would on a user's Windows. The Debian package is installed on this machine with
# apt-get (as root), its programs run as an unprivileged user, and it is removed again. One line
# per check, then "N passed, M failed".
#
#   bash scripts/test-packages.sh             # every release file
#   bash scripts/test-packages.sh --windows   # the zip and the installer only
#   bash scripts/test-packages.sh --deb       # the Debian package only
set -uo pipefail
only=${1:-all}
[[ $only == all || $only == --windows || $only == --deb ]] || { echo "usage: $0 [--windows|--deb]" >&2; exit 2; }
cd "$(dirname "$0")/.."
source scripts/lib/wine.sh
source_dir=$PWD
build=$source_dir/build-mingw
root=$build/package-test
version=$(sed -n 's/^project(Hangarix VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip=$source_dir/dist/Hangarix-$version-win64.zip
setup=$source_dir/dist/Hangarix-$version-win64-setup.exe
deb=$source_dir/dist/hangarix_${version}_amd64.deb
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Hangarix'
started=$SECONDS

wanted=()
[[ $only != --deb ]] && wanted+=("$zip" "$setup")
[[ $only != --windows ]] && wanted+=("$deb")
for file in "${wanted[@]}"; do
    [[ -f $file ]] || { echo "test-packages.sh: $file missing: run scripts/package.sh" >&2; exit 2; }
done

# Wine of its own: no display until a check asks for one, no Gecko or Mono set-up dialogs, no
# host menu entries for the shortcuts the installer makes, nothing of the build's on its path.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WINEPATH DISPLAY
for name in $(env | sed -n 's/^\(WINEQT_[A-Za-z0-9_]*\)=.*/\1/p'); do unset "$name"; done

log=$source_dir/build-package-checks.log
: >"$log"
passed=0
failed=0
check() {
    local what=$1
    shift
    printf '\n## %s\n' "$what" >>"$log"
    if "$@" >>"$log" 2>&1; then
        echo "PASS $what"
        passed=$((passed + 1))
    else
        echo "FAIL $what"
        failed=$((failed + 1))
    fi
}

prefixes=()
stop_wine() {
    local prefix
    for prefix in "${prefixes[@]}"; do WINEPREFIX=$prefix wineserver -k 2>/dev/null; done
}
trap stop_wine EXIT

# A fresh prefix in $root/$1, made the current one.
new_prefix() {
    export WINEPREFIX=$root/$1
    prefixes+=("$WINEPREFIX")
    start_wine_prefix
}

# A folder variable of Windows (LOCALAPPDATA, APPDATA) in the current prefix, e.g.
# C:\users\root\AppData\Local, and the Unix path of such a C: path.
windows_folder() { wine cmd /c echo "%$1%" </dev/null 2>/dev/null | tr -d '\r'; }
unix_path() {
    local path=${1//\\//}
    printf '%s/drive_c%s' "$WINEPREFIX" "${path#[Cc]:}"
}

cli_runs() { # $1: hangarix-cli.exe
    local out=$root/cli.out
    wine "$1" --version </dev/null >"$out" 2>&1 || { cat "$out"; return 1; }
    [[ $(tr -d '\r' <"$out") == "hangarix-cli $version" ]] || { cat "$out"; return 1; }
}

# The window draws its demo's local panel to a PNG under Xvfb, on Windows' own platform.
screenshot() { # $1: hangarix.exe, $2: name
    local demo=$root/$2-demo png=$root/$2.png
    rm -rf "$demo" "$png"
    xvfb-run -a -s '-screen 0 1280x1024x24' wine "$1" --demo "$(winpath "$demo")" \
        --screenshot "$(winpath "$png")" --panel local </dev/null || return 1
    [[ -s $png && $(head -c 8 "$png" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]]
}

reg_value() { # $1: value name; prints the data
    local out=$root/reg.out
    wine reg query "$uninstall_key" /v "$1" </dev/null >"$out" 2>/dev/null || return 1
    tr -d '\r' <"$out" | sed -n "s/^ *$1 *REG_[A-Z]* *//p"
}

reg_is() { [[ $(reg_value "$1") == "$2" ]]; }
no_entry() { ! wine reg query "$uninstall_key" </dev/null >/dev/null 2>&1; }

# Runs the installer $1 silently; NSIS returns once it is done.
install() { wine "$1" /S </dev/null && [[ -f $dir/uninstall.exe ]]; }

# The silent uninstaller copies itself away and returns at once: the prefix's server ends when
# that copy has.
uninstall() { wine "$dir/uninstall.exe" /S </dev/null && wineserver -w; }

# Everything left in the program's folder but the user's downloads and history.
no_program_file() {
    [[ ! -e $dir ]] && return 0
    local left
    left=$(find "$dir" -mindepth 1 -maxdepth 1 ! -name downloads ! -name history)
    [[ -z $left ]] || { echo "left behind: $left"; return 1; }
}

# An older installer: the same script on a tiny stage of version 0.0.1 holding a file this
# version does not ship, so an upgrade that leaves old files behind shows.
older_setup() {
    local stage=$root/old-stage
    mkdir -p "$stage"
    cp "$root/zip/Hangarix-$version-win64/hangarix-cli.exe" "$stage/hangarix.exe"
    echo old >"$stage/dropped-in-new-version.txt"
    printf '  Delete "$INSTDIR\\hangarix.exe"\n  Delete "$INSTDIR\\dropped-in-new-version.txt"\n' \
        >"$root/old-files.nsh"
    makensis -V1 -DVERSION=0.0.1 -DSTAGE="$stage" -DFILES_NSH="$root/old-files.nsh" \
        -DICON="$build/src/app/hangarix.ico" -DOUTFILE="$root/old-setup.exe" \
        "$source_dir/packaging/windows/hangarix.nsi"
}

# What the installer puts in the program's folder (a sample of each kind).
installed_files=(hangarix.exe hangarix-cli.exe uninstall.exe Qt6Core.dll Qt6Gui.dll
    Qt6Widgets.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll zlib1.dll
    platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qjpeg.dll
    imageformats/qico.dll qt.conf README.txt licences/Qt-LGPL-3.0.txt licences/README.txt
    licences/qt-windows.sh licences/libzip.txt licences/zlib.txt licences/MinGW-GCC-runtime.txt)

windows_checks() {
rm -rf "$root" && mkdir -p "$root"
# ---- The portable zip ----------------------------------------------------------------------
new_prefix zip-prefix
mkdir -p "$root/zip"
check "zip: unpacks" cmake -E chdir "$root/zip" cmake -E tar xf "$zip"
portable=$root/zip/Hangarix-$version-win64
for file in "${installed_files[@]}"; do
    [[ $file == uninstall.exe ]] && continue
    check "zip: holds $file" test -f "$portable/$file"
done
check "zip: hangarix-cli.exe --version runs from the unpacked folder" cli_runs "$portable/hangarix-cli.exe"
check "zip: hangarix.exe renders a screenshot" screenshot "$portable/hangarix.exe" zip
# The check itself: without a DLL of the release the program must fail here.
cp -r "$portable" "$root/zip/crippled"
rm "$root/zip/crippled/libstdc++-6.dll"
check "zip: a missing DLL is caught (hangarix-cli.exe without libstdc++-6.dll fails)" \
    bash -c '! wine "$1" --help </dev/null' _ "$root/zip/crippled/hangarix-cli.exe"
WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null

# ---- The installer -------------------------------------------------------------------------
new_prefix setup-prefix
win_dir="$(windows_folder LOCALAPPDATA)\\Programs\\Hangarix"
dir=$(unix_path "$win_dir")
shortcut=$(unix_path "$(windows_folder APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Hangarix.lnk")
check "setup: an older installer (0.0.1) is made" older_setup
check "setup: the older version installs silently" install "$root/old-setup.exe"
check "setup: the older version's entry says 0.0.1" reg_is DisplayVersion 0.0.1
mkdir -p "$dir/downloads/My livery" "$dir/history"
echo mine >"$dir/downloads/My livery/installerinfo.txt"
echo made >"$dir/history/changes.txt"
check "setup: installs silently over the older version" install "$setup"
for file in "${installed_files[@]}"; do
    check "setup: installed $file" test -f "$dir/$file"
done
check "setup: the upgrade removed the older version's own file" test ! -e "$dir/dropped-in-new-version.txt"
check "setup: the upgrade kept downloads" test -f "$dir/downloads/My livery/installerinfo.txt"
check "setup: Start-menu shortcut" test -f "$shortcut"
while IFS='|' read -r value data; do
    check "setup: uninstall entry $value = $data" reg_is "$value" "$data"
done <<EOF
DisplayName|Hangarix
DisplayVersion|$version
Publisher|Hangarix
InstallLocation|$win_dir
UninstallString|"$win_dir\\uninstall.exe"
QuietUninstallString|"$win_dir\\uninstall.exe" /S
EOF
check "setup: the installed hangarix.exe renders a screenshot" screenshot "$dir/hangarix.exe" setup
check "setup: the installed hangarix-cli.exe runs" cli_runs "$dir/hangarix-cli.exe"
check "setup: a second install of the same version works" install "$setup"
check "setup: after it, hangarix.exe is there" test -f "$dir/hangarix.exe"
check "setup: after it, the entry says $version" reg_is DisplayVersion "$version"
check "setup: the silent uninstaller runs" uninstall
check "uninstall: no program file left" no_program_file
check "uninstall: no uninstall entry left" no_entry
check "uninstall: no shortcut left" test ! -e "$shortcut"
check "uninstall: downloads kept" test -f "$dir/downloads/My livery/installerinfo.txt"
check "uninstall: history kept" test -f "$dir/history/changes.txt"

WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null
}

deb_checks() {
# ---- The Debian package --------------------------------------------------------------------
source scripts/lib/debian-sources.sh
install_missing desktop-file-utils xvfb xauth
deb_root=$source_dir/build-release/package-test
user=hangarix-package-test
rm -rf "$deb_root" && mkdir -p "$deb_root"
check "deb: a user of the package test exists" bash -c \
    'id -u "$1" >/dev/null 2>&1 || useradd --system --no-create-home --shell /bin/false "$1"' _ "$user"
chown "$user" "$deb_root"

# Runs a command as that user, in its own home and data folders under $deb_root.
as_user() {
    runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$deb_root/home" \
        XDG_DATA_HOME="$deb_root/data" "$@"
}

deb_holds() { dpkg-deb -c "$deb" | awk '{print $NF}' | grep -qx "$1"; }
deb_field_has() { # $1: field, $2: extended regular expression
    local value
    value=$(dpkg-deb -f "$deb" "$1") && grep -Eq "$2" <<<"$value" || { echo "$1: $value"; return 1; }
}
deb_cli_version() { [[ $(as_user hangarix-cli --version) == "hangarix-cli $version" ]]; }
deb_window_version() { [[ $(as_user hangarix --version) == "hangarix $version" ]]; }
deb_help_names_data() { as_user hangarix-cli --help | grep -F "This time: $deb_root/data/hangarix ("; }
deb_working_folders() {
    as_user sh -c 'cd / && hangarix-cli --sim none packages' || return 1
    local folder
    for folder in downloads images tempzip templiv; do
        [[ -d $deb_root/data/hangarix/$folder ]] || { echo "no $folder"; return 1; }
    done
}
# The installed window on its demo, default folder, under Xvfb on Qt's xcb platform (the
# plugin the package depends on).
deb_screenshot() {
    local png=$deb_root/data/window.png
    as_user sh -c "cd / && xvfb-run -a -s '-screen 0 1280x1024x24' hangarix --demo \
        --screenshot '$png' --panel local" || return 1
    [[ -s $png && $(head -c 8 "$png" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] &&
        [[ -n $(find "$deb_root/data/hangarix/hangarix-demo/FSX" -name aircraft.cfg -print -quit) ]] &&
        cp "$png" "$deb_root/window.png"
}

for path in ./usr/bin/hangarix ./usr/bin/hangarix-cli ./usr/share/applications/hangarix.desktop \
    ./usr/share/icons/hicolor/32x32/apps/hangarix.png ./usr/share/doc/hangarix/README.md; do
    check "deb: holds ${path#.}" deb_holds "$path"
done
check "deb: Package hangarix" deb_field_has Package '^hangarix$'
check "deb: Version $version" deb_field_has Version "^$version\$"
check "deb: Architecture amd64" deb_field_has Architecture '^amd64$'
for dependency in libc6 libstdc\\+\\+6 libqt6widgets6 libqt6gui6 libqt6core6 libcurl4 libzip4 libisal2 \
    qt6-qpa-plugins; do
    check "deb: depends on ${dependency//\\/}" deb_field_has Depends "(^|, )$dependency( |,|$)"
done
check "deb: the desktop entry is valid" bash -c \
    'dpkg-deb --fsys-tarfile "$1" | tar -xO ./usr/share/applications/hangarix.desktop >"$2" &&
     desktop-file-validate "$2"' _ "$deb" "$deb_root/hangarix.desktop"
check "deb: apt-get installs it with what it needs" \
    env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb"
check "deb: hangarix-cli --version" deb_cli_version
check "deb: hangarix --version" deb_window_version
check "deb: --help names the working folders in XDG_DATA_HOME" deb_help_names_data
check "deb: the working folders are made in XDG_DATA_HOME/hangarix" deb_working_folders
check "deb: the installed window renders its demo" deb_screenshot
check "deb: apt-get removes it" env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q hangarix
check "deb: no program left" bash -c '! test -e /usr/bin/hangarix && ! test -e /usr/bin/hangarix-cli'
check "deb: the user's working folders kept" test -d "$deb_root/data/hangarix/downloads"
rm -rf "$deb_root/data" "$deb_root/home"
userdel "$user" 2>/dev/null
}

[[ $only != --deb ]] && windows_checks
[[ $only != --windows ]] && deb_checks

echo "took $((SECONDS - started)) s; details in $log"
echo "$passed passed, $failed failed"
((failed == 0))
