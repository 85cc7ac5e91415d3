#!/bin/sh
# Builds the language-file grammar fuzzer natively (clang, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for a bounded time. The fuzzer also
# runs the language-file checker (tools/langcheck) on every input.
#   scripts/fuzz-language-file.sh [seconds]     (default 60)
# Needs clang-14 and libclang-rt-14-dev; installs nothing. Exits non-zero when
# the fuzzer finds a crash; the crashing input is left in the work folder.
set -eu

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
work=${FUZZ_WORK_DIR:-$root/build/fuzz-language-file}
clang=${CLANGXX:-clang++-14}

mkdir -p "$work/corpus" "$work/artifacts"
"$clang" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root" \
    "$root/foundation/text/LanguageFileGrammar.cpp" \
    $(ls "$root"/tools/langcheck/*.cpp | grep -v 'Main\.cpp$') \
    "$root/tests/foundation/text/fuzz/LanguageFileFuzzer.cpp" \
    -o "$work/language-file-fuzzer"

# New inputs go to the work folder; the committed seed corpus stays as it is.
"$work/language-file-fuzzer" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -artifact_prefix="$work/artifacts/" \
    "$work/corpus" "$root/tests/foundation/text/fuzz/corpus"
