#!/usr/bin/env bash
# Installs every Debian package that building, testing, benchmarking and the demo need
# (Debian 12). Does nothing when all of them are already there.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
packages=(
  build-essential cmake ninja-build pkg-config git clang-format
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libzip-dev zipcmp zip unzip libarchive-tools libdeflate-dev
  libcurl4-openssl-dev curl libisal-dev
  libcpp-httplib-dev
  nginx-light
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-urw-base35 fonts-dejavu-core
  xvfb xauth
  clang-14 libclang-rt-14-dev libfuzzer-14-dev llvm-14
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
