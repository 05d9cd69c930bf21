#!/usr/bin/env bash
# Makes the portable Windows zip, build-win/QuorinRelay-<version>-win64.zip:
# builds the Windows kit first when it is not in its cache (scripts/windows/
# kit.sh), cross-builds the program, packs it with every DLL it loads and
# checks that none is missing.
#
#   bash scripts/windows/build.sh [build folder] [CMake options]
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$here/build-win}"
shift || true

bash "$here/scripts/windows/install-cross-deps.sh"
QUORIN_WIN_KIT="$(bash "$here/scripts/windows/kit.sh" | tail -1)"
export QUORIN_WIN_KIT

launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$here"
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# A build folder configured against another kit would keep finding that
# kit's packages (their folders are cached): it starts afresh.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qF "QUORIN_WIN_KIT:UNINITIALIZED=$QUORIN_WIN_KIT" "$build/CMakeCache.txt"; then
    rm -f "$build/CMakeCache.txt"
fi
# Tests and benchmarks off unless asked for (scripts/windows/test.sh does).
cmake -S "$here" -B "$build" -G Ninja "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" -DQUORIN_WIN_KIT="$QUORIN_WIN_KIT" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=Release -DQUORIN_BUILD_TESTS=OFF -DQUORIN_BUILD_BENCH=OFF "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
bash "$here/scripts/windows/package.sh" "$build"
