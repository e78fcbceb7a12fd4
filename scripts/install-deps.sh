#!/usr/bin/env bash
# Installs the Debian 12 packages the program, its tests and its tools need.
# Safe to run again: apt-get skips what is there. Runs apt-get only when something is missing.
set -euo pipefail

packages=(
    build-essential cmake pkg-config git
    libwxgtk3.2-dev libwxgtk-webview3.2-dev libglib2.0-dev
    nettle-dev libpugixml-dev libcurl4-openssl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    xvfb xauth x11-utils imagemagick dbus-x11 at-spi2-core
    desktop-file-utils shared-mime-info libxml2-utils libglib2.0-bin xdg-utils fonts-dejavu-core fonts-ipafont-gothic
    nodejs openssl python3 file fakeroot dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get -o DPkg::Lock::Timeout=900 update -qq
$SUDO apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
