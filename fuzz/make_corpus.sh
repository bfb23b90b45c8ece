#!/usr/bin/env bash
# Makes the fuzzers' seed corpus from the test videos of tests/fixtures/make_fixtures.sh
# (made in FIXTURE_DIR first, when they are not there yet or are out of date):
# - each container and codec of the main test videos re-encoded to a second at 64x48;
# - each video of the codec and container matrix (matrix/) as its own encoder wrote it:
#   taken whole up to 12 KiB, else its first 1.5 s by stream copy, which keeps the
#   bitstream's own traits (pyramid and packed B-frames, interlacing, open GOPs, the edit
#   list) and still holds a second keyframe;
# - the small special cases (rotation, full range, one frame, truncated, anamorphic).
# Small inputs mutate and run fast: every seed is under 32 KiB. Runs again only when this
# script or the test videos changed.
#
#   make_corpus.sh FIXTURE_DIR CORPUS_DIR
set -euo pipefail
fixtures=${1:?usage: make_corpus.sh FIXTURE_DIR CORPUS_DIR}
corpus=${2:?usage: make_corpus.sh FIXTURE_DIR CORPUS_DIR}
here=$(dirname "$(readlink -f "$0")")
bash "$here/../tests/fixtures/make_fixtures.sh" "$fixtures"

# The stamp lies beside the corpus: libFuzzer takes every file inside it for a seed.
stamp=${corpus%/}.stamp
stamp_value="$(md5sum "$here/make_corpus.sh" | cut -d' ' -f1) $(cat "$fixtures/.stamp")"
if [ -d "$corpus" ] && [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$stamp_value" ]; then
    exit 0
fi
rm -rf "$corpus" "$stamp"
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

# The matrix holds only the kinds the installed FFmpeg could make.
for video in "$fixtures"/matrix/*; do
    [ -f "$video" ] || continue
    name=matrix_$(basename "$video")
    if [ "$(stat -c %s "$video")" -le 12288 ]; then
        cp "$video" "$corpus/$name"
    else
        ff -i "$video" -t 1.5 -map 0 -c copy "$corpus/$name"
    fi
done

for file in rotated_90.mp4 full_range_709.mp4 one_frame.mp4 anamorphic.mp4 truncated.mp4; do
    cp "$fixtures/$file" "$corpus/$file"
done
echo "$stamp_value" > "$stamp"
