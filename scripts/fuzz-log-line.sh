#!/bin/sh
# Builds the log-line fuzzer natively (clang, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for a bounded time: the viewer's
# log format (viewer/log/LogFormat.cpp), parsed and written back.
#   scripts/fuzz-log-line.sh [seconds]     (default 60)
# Needs clang-14 and libclang-rt-14-dev; installs nothing. Exits non-zero when
# the fuzzer finds a crash; the crashing input is left in the work folder.
set -eu

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
work=${FUZZ_WORK_DIR:-$root/build/fuzz-log-line}
clang=${CLANGXX:-clang++-14}

mkdir -p "$work/corpus" "$work/artifacts"
"$clang" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root" \
    "$root/viewer/log/LogFormat.cpp" \
    "$root/tests/viewer/fuzz/LogLineFuzzer.cpp" \
    -o "$work/log-line-fuzzer"

# New inputs go to the work folder; the committed seed corpus stays as it is.
"$work/log-line-fuzzer" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -artifact_prefix="$work/artifacts/" \
    "$work/corpus" "$root/tests/viewer/fuzz/corpus/log-line"
