#!/usr/bin/env bash
# Installs what building for Windows and running it under Wine need, and
# the source entry that lets apt-get fetch Debian's source packages.
set -euo pipefail
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

sources=/etc/apt/sources.list.d/debian-src.sources
refresh=0
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    # The same archives as the binary entries, for sources: bookworm and its
    # security updates (DCMTK's Debian revision comes from there).
    $SUDO tee "$sources" >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    refresh=1
fi

packages=(cmake ninja-build ccache g++ make pkg-config python3 dpkg-dev xz-utils
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev
          qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
          wine wine64 xvfb xauth xdotool x11-utils zip unzip dcmtk fonts-wine)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
source "$(dirname "$0")/../apt-get.sh"
if [ ${#missing[@]} -gt 0 ] || [ "$refresh" = 1 ]; then
    apt_get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
    apt_get install -y -q --no-install-recommends "${missing[@]}"
fi
