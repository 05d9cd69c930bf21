#!/usr/bin/env bash
# The Windows build's checks, under Wine and Xvfb: builds the program and its
# tests for Windows (build-win/) and the zip, runs the test programs that
# can run there, then the proof of the zip as a user meets it
# (tests/windows/proof_under_wine.py) against the Linux build in build/.
# Builds the Windows kit first when it is not in its cache.
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
build="$here/build-win"

if [ "${1:-}" != --on-display ]; then
    zip="$(bash "$here/scripts/windows/build.sh" "$build" -DQUORIN_BUILD_TESTS=ON \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$here/scripts/windows/wine-run.sh" | tail -1)"
    [ -x "$here/build/QuorinRelay" ] || "$here/scripts/build.sh" "$here/build"
    QUORIN_WIN_KIT="$(bash "$here/scripts/windows/kit.sh" --path)" source "$here/scripts/windows/wine-env.sh"
    # Wine's desktop stays on the display it first met: a Wine server of this
    # prefix left from an earlier run would hold one that is gone.
    wineserver -k 2>/dev/null || true
    # One display for all of it, so the Wine server meets only this one.
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --on-display "$zip"
fi

zip="$2"
QUORIN_WIN_KIT="$(bash "$here/scripts/windows/kit.sh" --path)"
export QUORIN_WIN_KIT
source "$here/scripts/windows/wine-env.sh"
bash "$here/scripts/windows/wine-prefix.sh"
echo "== [${SECONDS} s] Windows tests under Wine"
(cd "$build" && ctest --output-on-failure --no-tests=error -j2 --timeout 600)
echo "== [${SECONDS} s] the zip under Wine, as a user meets it"
/usr/bin/python3 "$here/tests/windows/proof_under_wine.py" "$zip" "$here/build/QuorinRelay"
# The Wine server of this prefix ends with its last program.
wineserver -w
echo "== [${SECONDS} s] Windows checks passed"
