#!/usr/bin/env bash
# Builds everything for 64-bit and 32-bit Windows and runs the whole test
# suite under Wine; also fuzzes the language-file grammar for a bounded time.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh test || exit 1
failed=0
started=$(date +%s)

passed=0
failures=0
run_suite() {  # run_suite PRESET
    local preset=$1 prefix=$root/build/$1/wineprefix log=$root/build/$1/ctest.log
    scripts/wine/server.sh start "$prefix"
    ctest --preset "$preset" 2>&1 | tee "$log"
    [ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
    scripts/wine/server.sh stop "$prefix"
    local total bad
    total=$(sed -nE 's/.* tests failed out of ([0-9]+)$/\1/p' "$log" | tail -n 1)
    bad=$(sed -nE 's/.*, ([0-9]+) tests failed out of [0-9]+$/\1/p' "$log" | tail -n 1)
    if [ -z "$total" ]; then failed=1; return; fi
    passed=$((passed + total - bad))
    failures=$((failures + bad))
}

echo "== 64-bit build and tests =="
{ cmake --preset x64-test >/dev/null && cmake --build --preset x64-test; } || exit 1
run_suite x64-test

echo "== 32-bit build =="
{ cmake --preset x86-test >/dev/null && cmake --build --preset x86-test; } || exit 1
if [ -x /usr/lib/wine/wine ]; then
    run_suite x86-test
else
    echo "SKIPPED: 32-bit tests: they need 32-bit Wine (package wine32:i386), which is not installed;"
    echo "         the 32-bit build compiled and linked."
fi

echo "== fuzzing the language-file grammar =="
fuzz_log=$root/build/fuzz-language-file.log
mkdir -p "$root/build"
if scripts/fuzz-language-file.sh "${PROBEDECK_FUZZ_SECONDS:-60}" >"$fuzz_log" 2>&1; then
    grep -E '^Done [0-9]+ runs' "$fuzz_log" || true
else
    tail -n 40 "$fuzz_log"
    echo "the fuzzer found a crash (see $fuzz_log)"
    failed=1
fi

echo "test.sh took $(( $(date +%s) - started )) s"
echo "Tests: $passed passed, $failures failed"
exit $failed
