#!/usr/bin/env bash
# Generation speed and memory of trovelle-thumbs against ffmpeg doing the same work on
# the same 1080p video in the same run.
#
#   bench/bench_generate.sh BUILD_DIR VIDEO
set -euo pipefail
build=${1:?usage: bench_generate.sh BUILD_DIR VIDEO}
video=${2:?usage: bench_generate.sh BUILD_DIR VIDEO}
tool="$build/bin/trovelle-thumbs"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# seconds and peak memory (KiB) of a command, as "SECONDS KIB"
measure() {
    local log="$work/time.log"
    local start end
    start=$(date +%s.%N)
    /usr/bin/time -v -o "$log" "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    echo "$(echo "$end - $start" | bc -l) $(awk -F': ' '/Maximum resident/ {print $2}' "$log")"
}
ratio() { echo "scale=2; $1 / $2" | bc -l; }

duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$video" | cut -d. -f1)

echo "-- whole video at 400x225 (best of 3 rounds, taking turns)"
best_ours=999999; best_theirs=999999
for round in 1 2 3; do
    rm -rf "$work/ours" "$work/theirs"; mkdir -p "$work/ours" "$work/theirs"
    read -r s ours_kb < <(measure "$tool" --whole --size 400x225 --out "$work/ours" "$video")
    best_ours=$(echo "if ($s < $best_ours) $s else $best_ours" | bc -l)
    read -r s theirs_kb < <(measure ffmpeg -nostdin -v error -i "$video" -an \
        -vf scale=400:225:flags=bilinear -q:v 1 "$work/theirs/%d.jpg")
    best_theirs=$(echo "if ($s < $best_theirs) $s else $best_theirs" | bc -l)
done
files=$(find "$work/ours" -name '*.jpg' | wc -l)
printf "  trovelle-thumbs: %5d files in %6.2f s = %7.1f thumbnails/s, peak %6d KiB\n" \
    "$files" "$best_ours" "$(echo "$files / $best_ours" | bc -l)" "$ours_kb"
printf "  ffmpeg:          %5d files in %6.2f s = %7.1f thumbnails/s, peak %6d KiB\n" \
    "$files" "$best_theirs" "$(echo "$files / $best_theirs" | bc -l)" "$theirs_kb"
echo "  speed ratio trovelle/ffmpeg: $(ratio "$best_theirs" "$best_ours")"

echo "-- 12 pieces at 400x225"
rm -rf "$work/ours"; mkdir -p "$work/ours"
read -r ours_s ours_kb < <(measure "$tool" --pieces 12 --size 400x225 --out "$work/ours" "$video")
start=$(date +%s.%N)
step=$(( duration / 12 ))
for i in $(seq 0 11); do
    ffmpeg -nostdin -v error -ss $(( i * step )) -i "$video" -frames:v 1 -vf scale=400:225 -q:v 1 \
        -y "$work/piece_$i.jpg"
done
end=$(date +%s.%N)
theirs_s=$(echo "$end - $start" | bc -l)
printf "  trovelle-thumbs: %6.2f s, peak %6d KiB\n" "$ours_s" "$ours_kb"
printf "  12 ffmpeg runs:  %6.2f s\n" "$theirs_s"
echo "  speed ratio trovelle/ffmpeg: $(ratio "$theirs_s" "$ours_s")"

echo "-- memory over the job's length (whole video at 400x225)"
rm -rf "$work/ours"; mkdir -p "$work/ours"
read -r short_s short_kb < <(measure "$tool" --range 0 4 --size 400x225 --out "$work/ours" "$video")
rm -rf "$work/ours"; mkdir -p "$work/ours"
read -r long_s long_kb < <(measure "$tool" --whole --size 400x225 --out "$work/ours" "$video")
printf "  first 5 s: peak %6d KiB; whole %d s: peak %6d KiB; ratio %s\n" \
    "$short_kb" "$duration" "$long_kb" "$(ratio "$long_kb" "$short_kb")"
