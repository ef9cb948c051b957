# Sourced by the Windows build scripts. install_missing installs the Debian packages it is given
# that are not installed yet (as root). enable_debian_sources adds a deb-src entry for the Debian
# archive the machine already uses, so that `apt-get source` works; libraries that Debian does
# not package for MinGW are built from Debian's own source packages.

install_missing() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' ||
            missing+=("$pkg")
    done
    if ((${#missing[@]})); then
        printf '== installing %s\n' "${missing[*]}" >&2
        apt-get update -q >&2
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
            "${missing[@]}" >&2
    fi
}
enable_debian_sources() {
    if apt-get source --print-uris libzip >/dev/null 2>&1; then
        return
    fi
    local uri="http://deb.debian.org/debian"
    local listed
    listed=$(grep -h -m1 -E '^URIs:.*debian/?$' /etc/apt/sources.list.d/*.sources 2>/dev/null |
        awk '{print $2}' || true)
    [[ -n $listed ]] && uri=$listed
    local codename
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
    printf '== adding a deb-src entry for %s %s\n' "$uri" "$codename"
    cat >/etc/apt/sources.list.d/hangarix-deb-src.sources <<SOURCES
Types: deb-src
URIs: $uri
Suites: $codename
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    apt-get update -q
}
