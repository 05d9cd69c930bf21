#!/usr/bin/env bash
# Installs what the program needs, builds it and starts it.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh" run
"$here/scripts/build.sh" "$here/build" -DQUORIN_BUILD_TESTS=OFF -DQUORIN_BUILD_BENCH=OFF
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: starting without one (QT_QPA_PLATFORM=offscreen)." >&2
    export QT_QPA_PLATFORM=offscreen
fi
exec "$here/build/QuorinRelay"
