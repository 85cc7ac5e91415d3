#!/usr/bin/env bash
# Builds the benchmarks in a release build (preset "bench") and runs them
# under Wine. Each prints medians of repeated runs next to a baseline
# measured in the same run. bench_capture runs four writer processes against
# Tracing.exe and against a bare listener, and fills the viewer's line store
# with a million lines; bench_tracecap runs them against tracecap.exe writing
# to a file and against the bare listener. bench_view finds, filters and folds over a million
# held lines, against a plain pass over their texts. bench_openlog opens a
# 1 GB saved log (made once in build/bench/benchmarks/openlog-data; needs
# about 1.1 GB free): its first page, its whole index against a bare read,
# the memory held, and a find against string_view::find.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh test
source scripts/wine/env.sh
cmake --preset bench >/dev/null
cmake --build --preset bench
build=$root/build/bench
prefix=$build/wineprefix
scripts/wine/server.sh start "$prefix"
trap 'scripts/wine/server.sh stop "$prefix"' EXIT
run() { scripts/wine/run.sh "$prefix" "$build/benchmarks/$1.exe" "${@:2}"; }
echo "== language-file loader =="
run bench_language_file
echo "== tracing =="
run bench_trace
echo "== debug-output capture =="
run bench_capture
echo "== command-line capture =="
run bench_tracecap
echo "== console start-up =="
run bench_startup
echo "== find, filters and folding =="
run bench_view
echo "== opening a 1 GB saved log =="
run bench_openlog
