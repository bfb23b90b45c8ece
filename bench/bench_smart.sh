#!/usr/bin/env bash
# What preferring clear pictures (--smart) costs and gains, on a made video that looks like
# real footage: six scenes cut together, each fading in and out, with motion blur on six
# frames of every eight. For 16 pieces and a 4 x 4 sheet it prints the time with --smart
# against the time without (the median of ROUNDS interleaved rounds; at most 1.5 is the
# aim) and the blur of the pictures taken, as ffmpeg's blurdetect filter measures it
# (lower is sharper).
#
#   bench/bench_smart.sh BUILD_DIR        (ROUNDS=5 by default)
set -euo pipefail
build=${1:?usage: bench_smart.sh BUILD_DIR}
rounds=${ROUNDS:-5}
tool="$build/bin/trovelle-thumbs"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -n "${KEEP:-}" ] && trap - EXIT && echo "work: $work"
ff=(ffmpeg -nostdin -hide_banner -loglevel error -y)

sources=("testsrc2=s=1280x720:r=25" "smptehdbars=s=1280x720:r=25" "testsrc=s=1280x720:r=25"
    "cellauto=s=1280x720:r=25:rule=30" "rgbtestsrc=s=1280x720:r=25" "life=s=1280x720:r=25:mold=10")
parts=()
for i in "${!sources[@]}"; do
    "${ff[@]}" -f lavfi -i "${sources[$i]}" -t 10 \
        -vf "format=yuv420p,boxblur=luma_radius=8:luma_power=2:enable='lt(mod(n\,8)\,6)',fade=t=in:st=0:d=1.5,fade=t=out:st=8.5:d=1.5" \
        -c:v libx264 -preset veryfast -crf 20 -g 50 -pix_fmt yuv420p "$work/part$i.mp4"
    parts+=("file '$work/part$i.mp4'")
done
printf '%s\n' "${parts[@]}" >"$work/list.txt"
video="$work/scenes.mp4"
"${ff[@]}" -f concat -safe 0 -i "$work/list.txt" -c copy "$video"

seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# The blur of the pictures matching a pattern, as "mean over the pictures with detail (plain
# pictures, such as a black frame of a fade, counted apart)".
blur() {
    local total=0 counted=0 plain=0 value f
    for f in $1; do
        value=$("${ff[@]}" -loglevel info -i "$f" -vf blurdetect -f null - 2>&1 |
            sed -n 's/.*blur mean: *\([-0-9.naif]*\).*/\1/p' | tail -1)
        if [[ $value =~ ^[0-9.]+$ ]]; then
            total=$(echo "$total + $value" | bc -l)
            counted=$((counted + 1))
        else
            plain=$((plain + 1))
        fi
    done
    if [ "$counted" -gt 0 ]; then
        printf "%.2f (%d plain)" "$(echo "$total / $counted" | bc -l)" "$plain"
    else
        printf "- (%d plain)" "$plain"
    fi
}

compare() {
    local label=$1 pattern=$2
    shift 2
    local exact=() smart=() r
    for ((r = 0; r < rounds; r++)); do
        rm -rf "$work/exact" "$work/smart"
        exact+=("$(seconds "$tool" -q -o "$work/exact" "$@" "$video")")
        smart+=("$(seconds "$tool" -q --smart -o "$work/smart" "$@" "$video")")
    done
    local me ms
    me=$(median "${exact[@]}")
    ms=$(median "${smart[@]}")
    printf "  %-12s exact %6.3f s  smart %6.3f s  cost %4.2fx (aim <= 1.5)  blur exact %s  smart %s\n" \
        "$label" "$me" "$ms" "$(echo "$ms / $me" | bc -l)" "$(blur "$work/exact/$pattern")" \
        "$(blur "$work/smart/$pattern")"
}

echo "-- six 10 s scenes at 1280x720, fades and motion blur"
compare "16 pieces" "scenes/*.jpg" -p 16 -s 400x225
compare "4x4 sheet" "scenes_sheet.jpg" --sheet 4x4
