#!/usr/bin/env bash
# Builds everything for 64-bit and 32-bit Windows, makes the release
# packages and the SDK, and runs the whole test suite under Wine (the
# packages' and the SDK's tests included); builds and tests the native
# language-file checker, whose output must match langcheck.exe's; also runs
# every native fuzzer for a bounded time.
# Each configuration is built once. Where this machine cannot run 32-bit
# programs, the 32-bit release build of the packages is the one 32-bit build
# and the 32-bit tests are reported as skipped.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh test || exit 1
source scripts/wine/env.sh
failed=0
started=$(date +%s)

passed=0
failures=0
phase() { echo "== $* (at $(( $(date +%s) - started )) s) =="; }
# Adds one suite's results, read from ctest's JUnit report, to the tally.
count_junit() {  # count_junit REPORT
    local report=$1 ran bad
    ran=$(grep -c '<testcase .*status="\(run\|fail\)"' "$report")
    bad=$(grep -c '<testcase .*status="fail"' "$report")
    passed=$((passed + ran - bad))
    failures=$((failures + bad))
}
run_suite() {  # run_suite PRESET
    local preset=$1 prefix=$root/build/$1/wineprefix report=$root/build/$1/ctest-junit.xml
    rm -f "$report"
    scripts/wine/server.sh start "$prefix"
    ctest --preset "$preset" --output-junit "$report" || failed=1
    scripts/wine/server.sh stop "$prefix"
    # No report means ctest could not even list the tests.
    if [ -f "$report" ]; then count_junit "$report"; else failed=1; fi
}

phase "64-bit build"
{ cmake --preset x64-test >/dev/null && cmake --build --preset x64-test; } || exit 1

# The 64-bit suite installs and runs these; they are signed with the
# throwaway certificate whatever the caller's signing settings are.
phase "release packages"
env -u PROBEDECK_SIGN_PFX -u PROBEDECK_SIGN_PASSWORD scripts/package.sh || failed=1

phase "64-bit tests"
run_suite x64-test

phase "native langcheck build and tests"
# Its tests compare the native program with the 64-bit langcheck.exe, run in
# the 64-bit build's Wine prefix.
native=$root/build/native
x64=$root/build/x64-test
{ cmake -S tools/langcheck/native -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DLANGCHECK_TESTS=ON -DLANGCHECK_SANITIZE=ON \
      -DLANGCHECK_WINDOWS_PROGRAM="$x64/bin/langcheck.exe" -DLANGCHECK_WINEPREFIX="$x64/wineprefix" >/dev/null \
  && cmake --build "$native"; } || exit 1
rm -f "$native/ctest-junit.xml"
scripts/wine/server.sh start "$x64/wineprefix"
ctest --test-dir "$native" --output-on-failure --output-junit "$native/ctest-junit.xml" || failed=1
scripts/wine/server.sh stop "$x64/wineprefix"
if [ -f "$native/ctest-junit.xml" ]; then count_junit "$native/ctest-junit.xml"; else failed=1; fi

if [ "$PROBEDECK_WINE32" = yes ]; then
    phase "32-bit build"
    { cmake --preset x86-test >/dev/null && cmake --build --preset x86-test; } || exit 1
    run_suite x86-test
else
    # The 32-bit release build made for the packages is the proof that the
    # 32-bit code compiles and links; a test build that cannot run adds nothing.
    echo "SKIPPED: 32-bit tests (the 32-bit release build compiled and linked): $PROBEDECK_WINE32_WHY"
fi

phase "fuzzing"
# PROBEDECK_FUZZ_SECONDS is the time for all the fuzzers together.
fuzz_log=$root/build/fuzz.log
mkdir -p "$root/build"
# A fixed seed (PROBEDECK_FUZZ_SEED) keeps the gate repeatable.
if FUZZ_SEED=${PROBEDECK_FUZZ_SEED:-1} scripts/fuzz.sh "${PROBEDECK_FUZZ_SECONDS:-60}" >"$fuzz_log" 2>&1; then
    grep -E '^[a-z-]+: ' "$fuzz_log" || true
else
    tail -n 40 "$fuzz_log"
    echo "a fuzzer could not be built or found a crash (see $fuzz_log)"
    failed=1
fi

echo "test.sh took $(( $(date +%s) - started )) s"
echo "Tests: $passed passed, $failures failed"
exit $failed
