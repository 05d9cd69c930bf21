#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test; then
# runs every test again built with AddressSanitizer and UBSan (build-asan/),
# and the fuzz targets for FUZZ_SECONDS seconds each (scripts/fuzz.sh,
# build-fuzz/). Stops at the first stage that fails.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh" test
# Tests and benchmarks switched on explicitly: build/ may hold the program
# alone, configured by scripts/run.sh.
"$here/scripts/build.sh" "$here/build" -DQUORIN_BUILD_TESTS=ON -DQUORIN_BUILD_BENCH=ON -DQUORIN_TEST_QPA=xcb
# The windows are tested on a real X server (Xvfb, no window manager).
(cd "$here/build" && xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --output-on-failure --no-tests=error -j2 --timeout 600)

echo "== [${SECONDS} s] sanitizer build: AddressSanitizer, LeakSanitizer, UBSan"
# -O1 with line tables only: a quarter less compile time than -O2 -g, and the
# reports still name file and line. Off screen: the X libraries' own
# allocations would only add noise to the leak reports.
"$here/scripts/build.sh" "$here/build-asan" -DQUORIN_SANITIZE=ON -DQUORIN_BUILD_TESTS=ON -DQUORIN_BUILD_BENCH=OFF \
    -DQUORIN_TEST_QPA=offscreen \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1"
# Leak detection stays on; tests/lsan.supp holds DCMTK's own leaks, and its
# entries match only on full allocation stacks (DCMTK has no frame pointers).
(cd "$here/build-asan" &&
    ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:check_initialization_order=1:strict_init_order=1" \
    LSAN_OPTIONS="suppressions=$here/tests/lsan.supp" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --output-on-failure --no-tests=error -j2 --timeout 600)

echo "== [${SECONDS} s] fuzz targets, ${FUZZ_SECONDS:-60} s each"
"$here/scripts/fuzz.sh" "$here/build-fuzz"
echo "== all tests passed in $((SECONDS / 60)) min $((SECONDS % 60)) s"
