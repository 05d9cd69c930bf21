#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
# Usage: install-deps.sh [run|test]
set -euo pipefail
mode="${1:-run}"

packages=(cmake g++ make ccache pkg-config qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev libxcb1-dev libdcmtk-dev libssl-dev dcmtk fonts-wine)
if [ "$mode" = test ]; then
    packages+=(libgdcm-tools orthanc xvfb xauth x11-utils imagemagick curl clang libclang-rt-14-dev python3-pydicom strace openssl
               iproute2)
    # The archive from another toolkit (tests/support/scripted-archive) runs
    # on Node.js: Debian's, where the machine has none of its own.
    command -v npm >/dev/null || packages+=(nodejs npm)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    source "$(dirname "$0")/apt-get.sh"
    echo "Installing ${missing[*]}"
    apt_get update -q
    apt_get install -y -q --no-install-recommends "${missing[@]}"
fi

if [ "$mode" = test ]; then
    archive="$(cd "$(dirname "$0")/.." && pwd)/tests/support/scripted-archive"
    [ -d "$archive/node_modules/dcmjs-dimse" ] || npm ci --prefix "$archive" --ignore-scripts --no-audit --no-fund --loglevel=error
fi
