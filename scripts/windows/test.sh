#!/usr/bin/env bash
# The Windows build's checks, under Wine and Xvfb: builds the program and its
# tests for Windows (build-win/) and the zip, runs the test programs that
# can run there, then the proof of the zip as a user meets it
# (tests/windows/proof_under_wine.py) against the Linux build in build/.
# Builds the Windows kit first when it is not in its cache.
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
build="$here/build-win"

zip="$(bash "$here/scripts/windows/build.sh" "$build" -DQUORIN_BUILD_TESTS=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$here/scripts/windows/wine-run.sh" | tail -1)"
QUORIN_WIN_KIT="$(bash "$here/scripts/windows/kit.sh" --path)"
export QUORIN_WIN_KIT
source "$here/scripts/windows/wine-env.sh"
bash "$here/scripts/windows/wine-prefix.sh"
[ -x "$here/build/QuorinRelay" ] || "$here/scripts/build.sh" "$here/build"

echo "== [${SECONDS} s] Windows tests under Wine"
(cd "$build" && xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --output-on-failure --no-tests=error -j2 --timeout 600)
echo "== [${SECONDS} s] the zip under Wine, as a user meets it"
xvfb-run -a -s "-screen 0 1280x1024x24" /usr/bin/python3 "$here/tests/windows/proof_under_wine.py" "$zip" "$here/build/QuorinRelay"
# The Wine server of this prefix, once its last program has ended.
wineserver -w
echo "== [${SECONDS} s] Windows checks passed"
