#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with Clang in build-fuzz/ (or the
# folder given as $1; with --build-only as $2 it stops there) and runs all of
# them at once, each for FUZZ_SECONDS seconds (default 60), on a copy of its
# seed corpus, so that the inputs a run adds stay out of the repository.
# Exits non-zero when a target fails; the failing input is kept in
# <build>/artifacts/<target>/ and the run's log in <build>/fuzz_<target>.log.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"

launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$here"
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
    -DQUORIN_FUZZ=ON -DQUORIN_BUILD_TESTS=OFF -DQUORIN_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target fuzz_ini fuzz_operators fuzz_element_headers
[ "${2:-}" != --build-only ] || exit 0

# Every save syncs the file to disk; in memory that costs nothing, and the
# targets run about five times as many inputs in the same time.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
# All targets at once, each for its whole time, sharing the cores.
fuzz() {
    local target="$1" corpus="$build/corpus/$1" artifacts="$build/artifacts/$1" log="$build/fuzz_$1.log"
    rm -rf "$corpus" "$artifacts"
    mkdir -p "$corpus" "$artifacts"
    cp "$here/fuzz/corpus/$target/"* "$corpus/"
    if "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1; then
        echo "fuzz_$target: $seconds s"
        grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
    else
        echo "fuzz_$target FAILED; input kept in $artifacts/, log follows"
        tail -n 60 "$log"
        return 1
    fi
}
targets=(ini operators element_headers)
for target in "${targets[@]}"; do
    (if fuzz "$target" >"$build/fuzz_$target.summary" 2>&1; then echo 0; else echo 1; fi >"$build/fuzz_$target.status") &
done
wait
status=0
for target in "${targets[@]}"; do
    cat "$build/fuzz_$target.summary"
    [ "$(cat "$build/fuzz_$target.status")" = 0 ] || status=1
done
exit $status
