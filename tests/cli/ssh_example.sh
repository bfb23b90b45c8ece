#!/usr/bin/env bash
# Runs the README's GNU parallel example over ssh as written, with a stand-in for ssh that
# runs each command on this machine in a folder of its own per host, so that no network is
# needed: the videos travel there, the thumbnails come back, and nothing is left there.
#   ssh_example.sh README BINDIR FIXTUREDIR
set -euo pipefail
readme=$1 bindir=$2 fixtures=$3

for tool in parallel rsync; do
    command -v $tool >/dev/null || { echo "$tool is missing (scripts/install-deps.sh installs it)"; exit 1; }
done
# The example's lines, continuations joined.
example=$(awk '/^    parallel -S /{f=1} f{more = /\\$/; sub(/^ +/, ""); sub(/\\$/, ""); printf "%s", $0; if (!more) exit}' "$readme")
[ -n "$example" ] || { echo "no ssh example in $readme"; exit 1; }
echo "example: $example"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/local" "$work/hosts"
cat >"$work/ssh" <<'STANDIN'
#!/usr/bin/env bash
# ssh [options] HOST [--] COMMAND...: the command as the remote shell would run it.
while [[ $# -gt 0 && $1 == -* ]]; do
    case $1 in -p | -l | -o | -i | -F) shift 2 ;; *) shift ;; esac
done
host=$1
shift
[[ ${1:-} == -- ]] && shift
# sshd sets the login shell; GNU parallel's remote worker runs the job with $SHELL.
export SHELL=/bin/bash
mkdir -p "$STANDIN_HOSTS/$host"
cd "$STANDIN_HOSTS/$host" && exec bash -c "$*"
STANDIN
chmod +x "$work/ssh"
cd "$work/local"
for v in fps_12_5.mp4 ntsc_2997.mp4 long_gop_25.mp4 hevc.mp4; do cp "$fixtures/$v" .; done
export PATH="$bindir:$PATH" HOME="$work" STANDIN_HOSTS="$work/hosts"
command=${example/parallel /parallel --ssh $work/ssh }
bash -c "$command" >out.txt 2>err.txt || { echo "failed:"; cat err.txt; exit 1; }

sort out.txt >sorted.txt
printf 'thumbs/fps_12_5\t4\nthumbs/hevc\t4\nthumbs/long_gop_25\t4\nthumbs/ntsc_2997\t4\n' >expected.txt
diff expected.txt sorted.txt || { echo "result lines differ"; exit 1; }
for v in fps_12_5 ntsc_2997 long_gop_25 hevc; do
    n=$(ls "thumbs/$v" | wc -l)
    [ "$n" -eq 4 ] || { echo "thumbs/$v holds $n files, not 4"; exit 1; }
done
# The hosts keep no video.
left=$(find "$work/hosts" -type f \( -name '*.mp4' -o -name '*.webm' \) | wc -l)
[ "$left" -eq 0 ] || { echo "$left videos left on the hosts"; exit 1; }
echo "ok"
