#!/usr/bin/env bash
# Runs Trovelle's benchmarks on a 1080p H.264 video made by the fixture script. Every
# figure is printed next to a peer measured in the same run (ffmpeg, or a plain
# implementation), so the ratios hold on a busy or slow machine.
#
#   bench/run_benchmarks.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bash scripts/build.sh
bash tests/fixtures/make_fixtures.sh "$build/fixtures-bench" bench
video="$build/fixtures-bench/bench_1080p.mp4"

echo "== Decoding"
"$build/bin/bench_decode" "$video"
echo
echo "== Playback"
"$build/bin/bench_play" "$build/fixtures-bench/bench_1080p60.mp4" "$build/fixtures-bench/bench_1080p30.mp4"
echo
echo "== Reduced pictures in the library against swscale"
for v in bench_1080p.mp4 bench_720p.mp4 bench_divx.avi; do
    "$build/bin/bench_reduce" "$build/fixtures-bench/$v" 400x225 76x43
done
echo
echo "== Bilinear scaling"
"$build/bin/bench_bilinear"
echo
echo "== Contact sheet"
"$build/bin/bench_sheet" "$build/fixtures-bench/bench_1080p_10min.mp4" 4x4 1600
"$build/bin/bench_sheet" "$build/fixtures-bench/bench_1080p_gop8.mp4" 4x4 1600
"$build/bin/bench_sheet" "$build/fixtures-bench/bench_1080p_gop8.mp4" 20x20 1600
if [ -x bench/bench_generate.sh ] && [ -x "$build/bin/trovelle-thumbs" ]; then
    echo
    echo "== Generation"
    bash bench/bench_generate.sh "$build" "$video" "$build/fixtures-bench/bench_720p.mp4" \
        "$build/fixtures-bench/bench_sd.mp4" "$build/fixtures-bench/bench_divx.avi"
fi
echo
echo "== Preferring clear pictures"
bash bench/bench_smart.sh "$build"
