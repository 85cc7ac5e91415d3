#!/usr/bin/env bash
# Builds the benchmarks in a release build and runs them under Wine. Each
# prints medians of repeated runs next to a baseline measured in the same run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh test
build=$root/build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=Release -DPROBEDECK_TESTS=ON >/dev/null
cmake --build "$build" --target bench_language_file bench_trace
scripts/wine/server.sh start "$build/wineprefix"
trap 'scripts/wine/server.sh stop "$build/wineprefix"' EXIT
echo "== language-file loader =="
scripts/wine/run.sh "$build/wineprefix" "$build/tests/bench_language_file.exe"
echo "== tracing =="
scripts/wine/run.sh "$build/wineprefix" "$build/tests/bench_trace.exe"
