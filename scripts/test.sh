#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh" test
"$here/scripts/build.sh" "$here/build"
export QT_QPA_PLATFORM=offscreen
cd "$here/build"
ctest --output-on-failure -j2 --timeout 600
