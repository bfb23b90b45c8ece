#!/usr/bin/env bash
# Fuzzes libdecoder.so's sources with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer for SECONDS (default 120), starting from a seed corpus cut
# from the test videos. An input that crashes, leaks, trips a sanitizer or hangs is kept
# in build-fuzz/crashes/; copy it into fuzz/regressions/ (the decoder tests replay
# every file there) and fix the cause.
#
#   scripts/fuzz.sh [SECONDS] [libFuzzer options...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}
shift || true
build=build-fuzz
bash scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
bash fuzz/make_corpus.sh "$build/fixtures" "$build/seeds"
mkdir -p "$build/corpus" "$build/crashes"

# The inputs found so far come first and are where new ones go; the seeds and the known
# crashers are read only. A file is at most 64 KiB, a run of one input at most 30 s.
# Leaks are checked; the decoding library's state lives on between inputs on purpose.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec "$build/decoder_fuzzer" "$build/corpus" "$build/seeds" fuzz/regressions \
    -dict=fuzz/decoder.dict -max_total_time="$seconds" -max_len=65536 -timeout=30 \
    -rss_limit_mb=2560 -malloc_limit_mb=2048 -artifact_prefix="$build/crashes/" \
    -print_final_stats=1 "$@"
