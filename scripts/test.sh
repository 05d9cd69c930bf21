#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test; then
# runs every test again built with AddressSanitizer and UBSan (build-asan/),
# and the fuzz targets for FUZZ_SECONDS seconds each (scripts/fuzz.sh,
# build-fuzz/). Stops at the first stage that fails. While the tests of one
# build wait on their peers, the next build compiles at the lowest priority
# (its output in <build>/build.log), so it takes only the idle CPU.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh" test

# `command` for build folder $1, in the background at the lowest priority;
# finish_build waits for it and fails with its log's end when it failed.
background_build() {
    mkdir -p "$1"
    building="$1"
    nice -n 19 "${@:2}" >"$1/build.log" 2>&1 &
    build_pid=$!
}
# A stage that fails still leaves no build running behind it.
trap 'if [ -n "${build_pid:-}" ]; then wait "$build_pid" 2>/dev/null || true; fi' EXIT
finish_build() {
    if ! wait "$build_pid"; then
        tail -n 40 "$building/build.log" >&2
        echo "building $building failed" >&2
        exit 1
    fi
}

# Tests and benchmarks switched on explicitly: build/ may hold the program
# alone, configured by scripts/run.sh.
"$here/scripts/build.sh" "$here/build" -DQUORIN_BUILD_TESTS=ON -DQUORIN_BUILD_BENCH=ON -DQUORIN_TEST_QPA=xcb
# -O1 with line tables only: a quarter less compile time than -O2 -g, and the
# reports still name file and line. Off screen: the X libraries' own
# allocations would only add noise to the leak reports.
background_build "$here/build-asan" "$here/scripts/build.sh" "$here/build-asan" -DQUORIN_SANITIZE=ON \
    -DQUORIN_BUILD_TESTS=ON -DQUORIN_BUILD_BENCH=OFF -DQUORIN_TEST_QPA=offscreen -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1"
echo "== [${SECONDS} s] tests"
# The windows are tested on a real X server (Xvfb, no window manager).
(cd "$here/build" && xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --output-on-failure --no-tests=error -j2 --timeout 600)

echo "== [${SECONDS} s] sanitizer build: AddressSanitizer, LeakSanitizer, UBSan"
finish_build
background_build "$here/build-fuzz" "$here/scripts/fuzz.sh" "$here/build-fuzz" --build-only
echo "== [${SECONDS} s] tests under the sanitizers"
# Leak detection stays on; tests/lsan.supp holds DCMTK's own leaks, and its
# entries match only on full allocation stacks (DCMTK has no frame pointers).
(cd "$here/build-asan" &&
    ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:check_initialization_order=1:strict_init_order=1" \
    LSAN_OPTIONS="suppressions=$here/tests/lsan.supp" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --output-on-failure --no-tests=error -j2 --timeout 600)

echo "== [${SECONDS} s] fuzz targets, ${FUZZ_SECONDS:-60} s each"
finish_build
"$here/scripts/fuzz.sh" "$here/build-fuzz"
echo "== all tests passed in $((SECONDS / 60)) min $((SECONDS % 60)) s"
