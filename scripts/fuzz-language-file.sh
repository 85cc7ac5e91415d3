#!/bin/sh
# The language-file grammar's fuzzer alone, for seconds (default 60); the
# fuzzer also runs the language-file checker (tools/langcheck) on every
# input. See scripts/fuzz.sh, which runs every fuzzer.
#   scripts/fuzz-language-file.sh [seconds]
exec "$(dirname "$0")/fuzz.sh" "${1:-60}" language-file
