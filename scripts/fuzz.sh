#!/usr/bin/env bash
# Fuzzes with libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer, both
# targets side by side for SECONDS each (default 120), one core each:
#   decoder  libdecoder.so's sources through its entry points;
#   job      the generation jobs (a 2 x 2 contact sheet and two thumbnails of each input)
#            with the instrumented libdecoder.so loaded as the program loads it.
# Both start from a seed corpus cut from the test videos. The inputs that once crashed
# (fuzz/regressions/ for the decoding library, fuzz/job-regressions/ for the jobs) are
# replayed first; then an input that crashes, leaks, trips a sanitizer or hangs is kept in
# build-fuzz/crashes/ (named after its target) and the script fails. Copy it into the
# regressions folder of its target and fix the cause.
#
#   scripts/fuzz.sh [SECONDS] [--only decoder|job] [libFuzzer options...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}
shift || true
targets=(decoder job)
if [ "${1:-}" = --only ]; then
    targets=("${2:?--only needs decoder or job}")
    shift 2
fi
build=build-fuzz
bash scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"

# The test videos: the test build's when they are up to date (CI has just made them),
# else our own.
fixtures=$build/fixtures
current=$(md5sum tests/fixtures/make_fixtures.sh | cut -d' ' -f1)
if [ -f build/fixtures/.stamp ] && [ "$(cut -d' ' -f1 build/fixtures/.stamp)" = "$current" ]; then
    fixtures=build/fixtures
fi
bash fuzz/make_corpus.sh "$fixtures" "$build/seeds"
mkdir -p "$build/crashes"

# Leaks are checked, less those of the system's font libraries (tests/lsan.supp); the
# decoding library's state lives on between inputs on purpose.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp}
# The jobs write their pictures here; a memory file system keeps their syncs cheap.
scratch=$(mktemp -d -p "$( [ -w /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")" trovelle-fuzz.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
export TROVELLE_FUZZ_SCRATCH=$scratch

regressions() {
    case $1 in
        decoder) echo fuzz/regressions ;;
        job) echo fuzz/regressions fuzz/job-regressions ;;
    esac
}

# Known crashers first, each once: a failure here is a regression, not a new find.
for target in "${targets[@]}"; do
    inputs=()
    for dir in $(regressions "$target"); do
        for file in "$dir"/*; do
            [ -f "$file" ] && inputs+=("$file")
        done
    done
    [ ${#inputs[@]} -gt 0 ] || continue
    if ! "$build/${target}_fuzzer" -timeout=30 -rss_limit_mb=2560 -malloc_limit_mb=2048 \
        "${inputs[@]}" >"$build/$target-regressions.log" 2>&1; then
        tail -n 60 "$build/$target-regressions.log"
        echo "fuzz: $target: an input of $(regressions "$target") fails again (log: $build/$target-regressions.log)" >&2
        exit 1
    fi
    echo "fuzz: $target: ${#inputs[@]} known crashers replayed cleanly"
done

# A file is at most 1 MiB: enough for a container's index at either end and a few seconds
# of SD video with several keyframes, so that a mutation can lengthen a file into a second
# GOP or append an index (64 KiB cut most real layouts short); small enough that a run of
# one input stays well under a second and the corpus in memory. A run of one input may take
# 30 s at most. The inputs found so far come first and are where new ones go; the seeds and
# the known crashers are read only.
pids=()
for target in "${targets[@]}"; do
    mkdir -p "$build/corpus-$target"
    # shellcheck disable=SC2046
    "$build/${target}_fuzzer" "$build/corpus-$target" "$build/seeds" $(regressions "$target") \
        -dict=fuzz/decoder.dict -max_total_time="$seconds" -max_len=1048576 -timeout=30 \
        -rss_limit_mb=2560 -malloc_limit_mb=2048 -artifact_prefix="$build/crashes/$target-" \
        -print_final_stats=1 "$@" >"$build/$target.log" 2>&1 &
    pids+=($!)
done

failed=0
for i in "${!targets[@]}"; do
    target=${targets[$i]}
    status=0
    wait "${pids[$i]}" || status=$?
    log=$build/$target.log
    # The last status line: edges (cov), features (ft), corpus, executions.
    summary=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
    executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    echo "fuzz: $target: ${summary:-no status line}"
    echo "fuzz: $target: ${executed:-?} inputs run, ${rate:-?} a second (log: $log)"
    if [ "$status" -ne 0 ]; then
        failed=1
        tail -n 80 "$log"
        echo "fuzz: $target: failed (exit $status); the input is in $build/crashes/" >&2
    fi
done
exit "$failed"
