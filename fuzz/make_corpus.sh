#!/usr/bin/env bash
# Makes the fuzzer's seed corpus from the test videos: each container and codec of
# tests/fixtures/make_fixtures.sh cut to a second at 64x48 (small inputs mutate and run
# fast), the small special cases (rotation, full range, one frame, truncated) as they are.
#
#   make_corpus.sh FIXTURE_DIR CORPUS_DIR
set -euo pipefail
fixtures=${1:?usage: make_corpus.sh FIXTURE_DIR CORPUS_DIR}
corpus=${2:?usage: make_corpus.sh FIXTURE_DIR CORPUS_DIR}
here=$(dirname "$(readlink -f "$0")")
bash "$here/../tests/fixtures/make_fixtures.sh" "$fixtures"
mkdir -p "$corpus"

ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }

# file, encoder and options: one second at 64x48 in the same container and codec.
while read -r file encoder options; do
    ff -i "$fixtures/$file" -t 1 -an -vf scale=64:48 -c:v "$encoder" $options "$corpus/cut_$file"
done <<'LIST'
long_gop_25.mp4 libx264 -preset veryfast -g 10 -bf 3
ntsc_2997.mp4 libx264 -preset veryfast
mpeg2.mpg mpeg2video -q:v 5 -g 6 -bf 2 -f mpeg
one_gop.ts mpeg2video -q:v 5 -bf 2 -f mpegts
raw.m1v mpeg1video -q:v 5 -f mpeg1video
mpeg4.avi mpeg4 -q:v 5 -bf 2
wmv2.wmv wmv2 -q:v 5
vp9.webm libvpx-vp9 -deadline realtime -cpu-used 8 -b:v 50k
hevc.mp4 libx265 -preset ultrafast -x265-params log-level=error -tag:v hvc1
theora.ogv libtheora -q:v 5
LIST
for file in rotated_90.mp4 full_range_709.mp4 one_frame.mp4 anamorphic.mp4 truncated.mp4; do
    cp "$fixtures/$file" "$corpus/$file"
done
