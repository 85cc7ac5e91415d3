#!/usr/bin/env bash
# Builds every native fuzzer (clang, libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer), side by side, and runs each in turn for its
# share of a bounded time.
#   scripts/fuzz.sh [seconds] [name...]
# seconds (default 60) is the total, split evenly between the fuzzers named
# (default: all of them, see the table below). Needs clang-14 and
# libclang-rt-14-dev; installs nothing. Prints one line per fuzzer; exits
# non-zero when one of them finds a crash or a disagreement, whose input is
# left in that fuzzer's work folder (build/fuzz/NAME/artifacts).
# FUZZ_SEED, when set, fixes libFuzzer's seed: the test command uses one, so
# that a run of it goes the same way twice; longer runs by hand take a new
# seed each time and so explore more.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
work_root=${FUZZ_WORK_DIR:-$root/build/fuzz}
clang=${CLANGXX:-clang++-14}

# One row per fuzzer: name | seed corpus | longest input | sources (globs;
# files whose names end in Main.cpp are left out, so a tool's sources come
# without its entry points).
fuzzers=(
    "language-file|tests/foundation/text/fuzz/corpus|4096|foundation/text/LanguageFileGrammar.cpp tools/langcheck/*.cpp tests/foundation/text/fuzz/LanguageFileFuzzer.cpp"
    "pattern|tests/viewer/pattern/fuzz/corpus|256|viewer/pattern/*.cpp foundation/text/Utf8.cpp tests/viewer/pattern/fuzz/PatternFuzzer.cpp"
    "rule-text|tests/viewer/fuzz/corpus/rule-text|4096|viewer/rules/TextRule.cpp viewer/rules/RuleText.cpp viewer/pattern/*.cpp foundation/text/Utf8.cpp tests/viewer/fuzz/RuleTextFuzzer.cpp"
    "record|tests/viewer/fuzz/corpus/record|2300|viewer/records/ReceivedRecord.cpp foundation/trace/TraceRecord.cpp tests/viewer/fuzz/RecordFuzzer.cpp"
    "log-line|tests/viewer/fuzz/corpus/log-line|4096|viewer/log/LogFormat.cpp tests/viewer/fuzz/LogLineFuzzer.cpp"
)

seconds=${1:-60}
shift || true
selected=()
for row in "${fuzzers[@]}"; do
    name=${row%%|*}
    if [ $# -eq 0 ] || [[ " $* " == *" $name "* ]]; then selected+=("$row"); fi
done
if [ ${#selected[@]} -eq 0 ]; then
    echo "no fuzzer named: $*" >&2
    exit 2
fi
share=$(( seconds / ${#selected[@]} ))
[ "$share" -ge 1 ] || share=1

# build_fuzzer ROW: compiles one fuzzer into its work folder; what the
# compiler says goes to build.log there.
build_fuzzer() {
    local name corpus max_len source_globs source sources=()
    IFS='|' read -r name corpus max_len source_globs <<<"$1"
    local work=$work_root/$name
    mkdir -p "$work/corpus" "$work/artifacts"
    rm -f "$work/fuzzer"
    for source in $source_globs; do
        [[ $source == *Main.cpp ]] || sources+=("$source")
    done
    "$clang" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -I"$root" "${sources[@]}" -o "$work/fuzzer" >"$work/build.log" 2>&1
}
export -f build_fuzzer
export root work_root clang
# The fuzzers compile side by side, one per processor, then run one by one.
if ! printf '%s\n' "${selected[@]}" | xargs -d '\n' -P "$(nproc)" -n 1 bash -c 'build_fuzzer "$1"' _; then
    for row in "${selected[@]}"; do
        name=${row%%|*}
        if [ ! -x "$work_root/$name/fuzzer" ]; then
            cat "$work_root/$name/build.log"
            echo "$name: the fuzzer cannot be built (see $work_root/$name/build.log)"
        fi
    done
    exit 1
fi

failed=0
for row in "${selected[@]}"; do
    IFS='|' read -r name corpus max_len source_globs <<<"$row"
    work=$work_root/$name
    # New inputs go to the work folder; the committed seed corpus stays as it is.
    seed=()
    [ -z "${FUZZ_SEED:-}" ] || seed=(-seed="$FUZZ_SEED")
    if "$work/fuzzer" "${seed[@]}" -max_total_time="$share" -timeout=10 -rss_limit_mb=2048 -max_len="$max_len" \
        -artifact_prefix="$work/artifacts/" "$work/corpus" "$root/$corpus" >"$work/fuzz.log" 2>&1; then
        echo "$name: $(grep -E '^Done [0-9]+ runs' "$work/fuzz.log" || echo 'finished')"
    else
        tail -n 40 "$work/fuzz.log"
        echo "$name: the fuzzer found a crash (see $work/fuzz.log)"
        failed=1
    fi
done
exit $failed
