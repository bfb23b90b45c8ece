#!/usr/bin/env bash
# Runs the README's GNU parallel example as written, on four test videos, and checks
# that every video got its folder and its whole result line.
#   parallel_example.sh README BINDIR FIXTUREDIR
set -euo pipefail
readme=$1 bindir=$2 fixtures=$3

command -v parallel >/dev/null || { echo "GNU parallel is missing (scripts/install-deps.sh installs it)"; exit 1; }
example=$(grep -m1 '^    parallel -X trovelle-thumbs ' "$readme" | sed 's/^    //')
[ -n "$example" ] || { echo "no parallel example in $readme"; exit 1; }
echo "example: $example"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
ln -s "$fixtures/fps_12_5.mp4" a.mp4
ln -s "$fixtures/ntsc_2997.mp4" b.mp4
ln -s "$fixtures/long_gop_25.mp4" c.mp4
ln -s "$fixtures/hevc.mp4" d.mp4 # 3 s: 4 pieces too, spread over it
export PATH="$bindir:$PATH" HOME="$work"
bash -c "$example" >out.txt 2>err.txt || { echo "failed:"; cat err.txt; exit 1; }

# Quiet: nothing on standard error.
[ ! -s err.txt ] || { echo "standard error not empty:"; cat err.txt; exit 1; }
# One whole line per video, in whatever order the jobs ended.
sort out.txt >sorted.txt
printf 'thumbs/a\t4\nthumbs/b\t4\nthumbs/c\t4\nthumbs/d\t4\n' >expected.txt
diff expected.txt sorted.txt || { echo "result lines differ"; exit 1; }
for v in a b c d; do
    n=$(ls "thumbs/$v" | wc -l)
    want=4
    [ "$n" -eq "$want" ] || { echo "thumbs/$v holds $n files, not $want"; exit 1; }
done
echo "ok"
