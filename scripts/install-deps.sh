#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
# Usage: install-deps.sh [run|test]
set -euo pipefail
mode="${1:-run}"

packages=(cmake g++ make ccache qt6-base-dev qt6-base-dev-tools libgl-dev libdcmtk-dev dcmtk fonts-wine)
if [ "$mode" = test ]; then
    packages+=(libgdcm-tools orthanc xvfb xauth imagemagick curl clang libclang-rt-14-dev python3-pydicom iproute2)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
