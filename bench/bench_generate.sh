#!/usr/bin/env bash
# Generation speed and memory of trovelle-thumbs against ffmpeg doing the same work on the
# same videos in the same run. Every figure is a ratio: ffmpeg's time / ours (above 1: we are
# faster), the median of ROUNDS rounds in which the two take turns, so that a busy machine
# slows both alike.
#
#   bench/bench_generate.sh BUILD_DIR VIDEO...        (ROUNDS=5 by default)
#
# ONLY=REGEX runs only the comparisons whose label matches (ONLY='^whole video at [0-9]').
set -euo pipefail
build=${1:?usage: bench_generate.sh BUILD_DIR VIDEO...}
shift
[ $# -gt 0 ] || { echo "usage: bench_generate.sh BUILD_DIR VIDEO..." >&2; exit 2; }
rounds=${ROUNDS:-5}
tool="$build/bin/trovelle-thumbs"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
size=400x225
scale="scale=400:225:flags=bilinear"

# Wall seconds of a command; its peak memory (KiB) goes to $work/kib.
seconds() {
    local start end
    start=$(date +%s.%N)
    /usr/bin/time -f %M -o "$work/kib" "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
fresh() { rm -rf "$work/out"; mkdir -p "$work/out"; }

# compare LABEL TARGET -- OURS... -- PEER...: the median ratio peer / ours, against a target.
compare() {
    local label=$1 target=$2
    shift 3
    if [ -n "${ONLY:-}" ] && ! [[ $label =~ $ONLY ]]; then
        return 0
    fi
    local ours=() peer=()
    while [ "$1" != -- ]; do ours+=("$1"); shift; done
    shift
    peer=("$@")
    local o=() p=() r
    for ((r = 0; r < rounds; r++)); do
        fresh; o+=("$(seconds "${ours[@]}")")
        fresh; p+=("$(seconds "${peer[@]}")")
    done
    local mo mp
    mo=$(median "${o[@]}"); mp=$(median "${p[@]}")
    printf "  %-34s ours %7.3f s  ffmpeg %7.3f s  ratio %5.2f  (target %s)\n" "$label" "$mo" "$mp" \
        "$(echo "$mp / $mo" | bc -l)" "$target"
}

ff=(ffmpeg -nostdin -v error)

for video in "$@"; do
    read -r width height rate frames < <(ffprobe -v error -select_streams v:0 -count_packets \
        -show_entries stream=width,height,avg_frame_rate,nb_read_packets -of csv=p=0 "$video" |
        awk -F, '{ split($3, r, "/"); print $1, $2, r[1] / r[2], $4 }')
    length=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$video")
    duration=${length%%.*}
    echo "-- $(basename "$video"): ${width}x${height}, $frames frames, $duration s"

    compare "whole video at $size" "1.2 (1080p), 1.3 (720p), 1.25 (SD, DivX AVI)" \
        -- "$tool" --whole --size $size --out "$work/out" "$video" \
        -- "${ff[@]}" -i "$video" -an -vf "$scale" -q:v 1 "$work/out/%d.jpg"
    compare "whole video at its own size" "1.1" \
        -- "$tool" --whole --out "$work/out" "$video" \
        -- "${ff[@]}" -i "$video" -an -q:v 1 "$work/out/%d.jpg"

    a=$((duration / 3)); b=$((a + 2))
    compare "range $a..$b s at $size" "1.2" \
        -- "$tool" --range $a $b --size $size --out "$work/out" "$video" \
        -- "${ff[@]}" -ss $a -i "$video" -t $((b + 1 - a)) -an -vf "$scale" -q:v 1 "$work/out/%d.jpg"
    # Pieces are taken where the tool takes them: piece i of N at D x (i + 0.5) / N, the first
    # frame at or after that instant, so that both programs decode the same frames.
    instant() { printf "%.6f" "$(echo "$length * ($1 + 0.5) / $2" | bc -l)"; }
    compare "one thumbnail at $size" "1.0" \
        -- "$tool" --pieces 1 --size $size --out "$work/out" "$video" \
        -- "${ff[@]}" -ss "$(instant 0 1)" -i "$video" -an -frames:v 1 -vf "$scale" -q:v 1 "$work/out/1.jpg"

    for n in 12 100; do
        # Peer one: one process, N seeked inputs. Peer two: one pass with select.
        inputs=() outputs=() picks=""
        for ((i = 0; i < n; i++)); do
            at=$(instant $i $n)
            inputs+=(-ss "$at" -i "$video")
            outputs+=(-map "$i:v" -frames:v 1 -vf "$scale" -q:v 1 "$work/out/s$i.jpg")
            picks+="${picks:++}eq(n\\,$(echo "$at * $rate" | bc -l | awk '{ printf "%d", $1 + 0.999999 }'))"
        done
        compare "$n pieces, N seeked inputs" "2.0 (with select)" \
            -- "$tool" --pieces $n --size $size --out "$work/out" "$video" \
            -- "${ff[@]}" "${inputs[@]}" "${outputs[@]}"
        compare "$n pieces, one-pass select" "2.0 (with inputs)" \
            -- "$tool" --pieces $n --size $size --out "$work/out" "$video" \
            -- "${ff[@]}" -i "$video" -an -vf "select='$picks',$scale" -fps_mode passthrough -q:v 1 "$work/out/%d.jpg"
    done
done

if [ -z "${ONLY:-}" ] || [[ memory =~ $ONLY ]]; then
    video=$1
    echo "-- memory over the job's length, $(basename "$video") at $size"
    fresh; seconds "$tool" --range 0 4 --size $size --out "$work/out" "$video" >/dev/null; short=$(cat "$work/kib")
    fresh; seconds "$tool" --whole --size $size --out "$work/out" "$video" >/dev/null; long=$(cat "$work/kib")
    fresh; seconds "${ff[@]}" -i "$video" -an -vf "$scale" -q:v 1 "$work/out/%d.jpg" >/dev/null; theirs=$(cat "$work/kib")
    printf "  first 5 s: peak %6d KiB; whole video: peak %6d KiB (ratio %.2f); ffmpeg: peak %6d KiB\n" \
        "$short" "$long" "$(echo "$long / $short" | bc -l)" "$theirs"
fi
