#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given as $1).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
shift || true
# ccache where it is installed: a rebuild, or a second clone on the same
# machine, compiles only what changed. Paths relative to the checkout, so
# clones in other folders share the cache.
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$here"
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
