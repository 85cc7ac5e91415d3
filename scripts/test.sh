#!/usr/bin/env bash
# Builds everything for 64-bit and 32-bit Windows and runs the whole test
# suite under Wine; also fuzzes the language-file grammar for a bounded time.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh test || exit 1
failed=0
started=$(date +%s)

run_suite() {  # run_suite PRESET
    local preset=$1 prefix=$root/build/$1/wineprefix
    scripts/wine/server.sh start "$prefix"
    ctest --preset "$preset" || failed=1
    scripts/wine/server.sh stop "$prefix"
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

if [ -x scripts/fuzz-language-file.sh ]; then
    echo "== fuzzing the language-file grammar =="
    scripts/fuzz-language-file.sh "${PROBEDECK_FUZZ_SECONDS:-60}" || failed=1
fi

echo "test.sh took $(( $(date +%s) - started )) s"
exit $failed
