#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the fuzz targets need
# (fonts-ipaexfont-gothic: the face that draws the interface's Latin and Japanese texts, each ASCII
# character as itself).
# Does nothing when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config clang libclang-rt-14-dev
    juce-modules-source libboost-dev libboost-regex-dev libasound2-dev
    libfreetype-dev libfontconfig1-dev libx11-dev libxrandr-dev libxinerama-dev
    libxcursor-dev libxext-dev libxcomposite-dev libgl-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    xvfb xauth xdotool x11-utils openbox imagemagick fonts-dejavu-core fonts-ipaexfont-gothic
    # The desktop's file chooser, which the import command opens when it is installed.
    zenity
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

sudo_prefix=()
if [[ $(id -u) -ne 0 ]]; then
    sudo_prefix=(sudo)
fi

echo "Installing: ${missing[*]}"
"${sudo_prefix[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_prefix[@]}" apt-get install -y -qq "${missing[@]}"
