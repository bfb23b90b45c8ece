#!/usr/bin/env bash
# Installs the Debian 12 packages Trovelle needs to build, run and test.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
    build-essential cmake pkg-config ccache
    qt6-base-dev qt6-base-dev-tools libgl-dev
    qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
    libsdl1.2-dev
    libfreeimage-dev
    libpango1.0-dev libcairo2-dev
    libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
    libgtest-dev googletest
    ffmpeg
    fonts-open-sans fonts-wqy-microhei
    xvfb xauth openbox libxcb1-dev
    time bc python3
    parallel rsync
    clang libclang-rt-14-dev
    desktop-file-utils appstream lintian dpkg-dev file
    debhelper
    tumbler gir1.2-gnomedesktop-3.0 python3-gi dbus-daemon
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
else
    SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
