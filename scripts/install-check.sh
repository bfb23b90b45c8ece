#!/usr/bin/env bash
# Checks an installation, and the Debian package as a Debian maintainer would.
#
# 1. Installs BUILD (default build/) stripped into a scratch prefix, validates the menu
#    entry and the AppStream metainfo, looks for the window's translations, makes
#    thumbnails with trovelle-thumbs from the prefix and a file manager's preview through
#    the installed thumbnailer entry.
# 2. Clones the last commit twice, the second clone once the first one's package is built
#    (so their files carry other times), builds the package in each with
#    `dpkg-buildpackage -us -uc -b` (nocheck: the suite ran already; through ccache where
#    it is installed), and compares the two clones' .debs byte for byte. lintian on the
#    .changes, pedantic tags included: any error, warning or pedantic tag fails, and no
#    override hides one. Every program must be hardened.
# 3. Installs the package, has GNOME's thumbnail factory (through its introspection
#    bindings) and tumbler (over D-Bus) make a preview of a test video, each of which must
#    be the frame trovelle-thumbs takes and a frame of the video, then purges the package
#    and checks that nothing of it is left. Needs root (or sudo) for that.
#
#   scripts/install-check.sh [BUILD]
#
# Steps 2 and 3 take what is committed: commit first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${1:-build}
if dpkg-query -W -f='${Status}' trovelle 2>/dev/null | grep -q 'install ok installed'; then
    echo "trovelle is installed already: remove it first, this check installs and purges its own" >&2
    exit 1
fi
prefix=$(mktemp -d /tmp/trovelle-prefix.XXXXXX)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --strip --prefix "$prefix" >/dev/null
desktop-file-validate "$prefix/share/applications/org.example.trovelle.desktop"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/org.example.trovelle.metainfo.xml"
for page in trovelle.1.gz trovelle-thumbs.1.gz; do
    gzip -t "$prefix/share/man/man1/$page"
done
# The window's translations, where the program looks for them: beside its bin folder.
translations=(share/trovelle/translations/trovelle_de.qm share/trovelle/translations/trovelle_fr.qm)
for qm in "${translations[@]}"; do
    if [ ! -s "$prefix/$qm" ]; then
        echo "not installed: $qm" >&2
        exit 1
    fi
done
for program in "$prefix"/bin/trovelle "$prefix"/bin/trovelle-thumbs "$prefix"/lib/*/trovelle/libdecoder.so; do
    if ! file -L "$program" | grep -q ', stripped'; then
        echo "not stripped: $program" >&2
        exit 1
    fi
done
if ! "$prefix/bin/trovelle-thumbs" --version | grep -q 'GNU GPL version 3 or later'; then
    echo "trovelle-thumbs --version does not name the licence" >&2
    exit 1
fi

# The installed tool finds its installed library (nothing of the build folder on any path).
bash tests/fixtures/make_fixtures.sh "$build/fixtures"
mkdir -p "$prefix/out"
env -u LD_LIBRARY_PATH "$prefix/bin/trovelle-thumbs" --pieces 4 --out "$prefix/out" "$build/fixtures/ntsc_2997.mp4"
count=$(find "$prefix/out" -name '*.jpg' | wc -l)
if [ "$count" -ne 4 ]; then
    echo "trovelle-thumbs from $prefix made $count thumbnails, not 4" >&2
    exit 1
fi

# The installed thumbnailer entry, run as a file manager runs it, with the installed tool.
exec_line=$(sed -n 's/^Exec=//p' "$prefix/share/thumbnailers/trovelle.thumbnailer")
exec_line=${exec_line//%s/128}
exec_line=${exec_line//%i/$build/fixtures/ntsc_2997.mp4}
exec_line=${exec_line//%o/$prefix/out/preview}
env -u LD_LIBRARY_PATH PATH="$prefix/bin:$PATH" $exec_line
if [ "$(file -b "$prefix/out/preview")" != "PNG image data, 128 x 96, 8-bit/color RGB, non-interlaced" ]; then
    echo "the thumbnailer entry made no 128 x 96 PNG: $(file -b "$prefix/out/preview")" >&2
    exit 1
fi

# --- 2. The package, built twice from two clones -------------------------------------------
work=$(mktemp -d /tmp/trovelle-package.XXXXXX)
trap 'rm -rf "$prefix" "$work"' EXIT
export DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)" DEB_BUILD_PROFILES=nocheck
if [ -d /usr/lib/ccache ]; then
    export PATH="/usr/lib/ccache:$PATH"
fi
# Clones the last commit and builds the package in it, then moves what it made into
# $work/$1 and removes the clone. Both clones lie in the same folder, so that the second
# build finds the first one's objects in the compiler cache (which still compiles anew
# whatever source differs, a generated one too).
build_package() {
    local began=$SECONDS
    mkdir "$work/$1"
    git clone --quiet --no-hardlinks "$PWD" "$work/src/trovelle"
    (cd "$work/src/trovelle" && dpkg-buildpackage -us -uc -b >"$work/$1/build.log" 2>&1) || {
        tail -n 40 "$work/$1/build.log" >&2
        echo "dpkg-buildpackage failed in a clone of the last commit (log above)" >&2
        exit 1
    }
    mv "$work"/src/*.deb "$work"/src/*.changes "$work"/src/*.buildinfo "$work/$1/"
    rm -rf "$work/src"
    echo "package built in clone $1 in $((SECONDS - began)) s"
}
build_package one
build_package two
version=$(dpkg-parsechangelog -l debian/changelog -S Version)
arch=$(dpkg --print-architecture)
debs=("trovelle_${version}_$arch.deb" "trovelle-dbgsym_${version}_$arch.deb")
for deb in "${debs[@]}"; do
    if ! cmp "$work/one/$deb" "$work/two/$deb"; then
        echo "two clones of one commit gave different packages: $work/one/$deb $work/two/$deb" >&2
        exit 1
    fi
done
deb=$work/one/${debs[0]}
dpkg-deb --field "$deb" Depends
contents=$(dpkg-deb --contents "$deb")
for qm in "${translations[@]}"; do
    if ! grep -q " \./usr/$qm\$" <<<"$contents"; then
        echo "not in the package: /usr/$qm" >&2
        exit 1
    fi
done
lintian --pedantic --no-override --fail-on error,warning,pedantic --suppress-tags-from-file /dev/null \
    "$work/one/trovelle_${version}_$arch.changes"

# Hardened: position-independent, read-only relocations bound at start, stack protector;
# the programs' fortified calls too (the library makes no call whose buffer size is known
# when it is built, so it has none to show).
unpacked=$work/unpacked
dpkg-deb -x "$deb" "$unpacked"
for program in "$unpacked"/usr/bin/* "$unpacked"/usr/lib/*/trovelle/libdecoder.so; do
    marks=('Type: *DYN' 'GNU_RELRO' 'FLAGS.*BIND_NOW' '__stack_chk_fail')
    if [[ $program == */bin/* ]]; then
        marks+=('__[a-z_]*_chk@')
    fi
    elf=$(readelf -W --file-header --program-headers --dynamic --dyn-syms "$program")
    for mark in "${marks[@]}"; do
        if ! grep -q -- "$mark" <<<"$elf"; then
            echo "not hardened ($mark missing): ${program#"$unpacked"}" >&2
            exit 1
        fi
    done
done
if readelf -d "$unpacked"/usr/lib/*/trovelle/libdecoder.so | grep -q -E 'RUNPATH|RPATH'; then
    echo "libdecoder.so carries a library search path" >&2
    exit 1
fi

# --- 3. The installed package with real thumbnail services ---------------------------------
sudo=
if [ "$(id -u)" -ne 0 ]; then
    sudo=sudo
fi
trap '$sudo apt-get purge -y -qq trovelle >/dev/null 2>&1 || true; rm -rf "$prefix" "$work"' EXIT
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
installed=$(dpkg -L trovelle)

# The preview trovelle-thumbs makes, then each service's; each must hold the same pixels
# and one frame of the video (its frames carry their number: tests/fixtures).
video=$(realpath "$build/fixtures/ntsc_2997.mp4")
home=$work/home
mkdir -p "$home"
trovelle-thumbs --thumbnail 128 "$video" "$work/direct.png"
env HOME="$home" XDG_CACHE_HOME="$home/.cache" /usr/bin/python3 scripts/thumbnail-services.py gnome "$video" "$work/gnome.png"
env HOME="$home" XDG_CACHE_HOME="$home/.cache" dbus-run-session -- \
    /usr/bin/python3 scripts/thumbnail-services.py tumbler "$video" "$work/tumbler.png"
pixels() { ffmpeg -nostdin -v error -i "$1" -f rawvideo -pix_fmt rgb24 - | md5sum; }
# The highest PSNR of the picture against any frame of the video, scaled to its size.
best_frame() {
    local size
    size=$(ffprobe -v error -select_streams v -show_entries stream=width,height -of csv=p=0:s=x "$1")
    ffmpeg -nostdin -v error -i "$video" -loop 1 -i "$1" -lavfi \
        "[0:v]scale=$size:flags=bilinear,format=rgb24[v];[1:v]format=rgb24[t];[v][t]psnr=shortest=1:stats_file=-" \
        -f null - | sed -n 's/.*psnr_avg:\([0-9.inf]*\).*/\1/p' | sort -g | tail -n 1
}
match=$(best_frame "$work/direct.png")
if ! awk -v p="$match" 'BEGIN { exit !(p == "inf" || p >= 30) }'; then
    echo "trovelle-thumbs' preview is no frame of the video (best PSNR $match dB)" >&2
    exit 1
fi
for service in gnome tumbler; do
    if [ "$(pixels "$work/$service.png")" != "$(pixels "$work/direct.png")" ]; then
        echo "$service's preview is not the one trovelle-thumbs makes: $(file -b "$work/$service.png")" >&2
        exit 1
    fi
    echo "$service made the preview through trovelle.thumbnailer (a frame at $match dB)"
done

$sudo env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq trovelle >/dev/null
while IFS= read -r path; do
    if [ -e "$path" ] && { ! [ -d "$path" ] || [[ $path == *trovelle* ]]; }; then
        echo "left behind by the purge: $path" >&2
        exit 1
    fi
done <<<"$installed"
trap 'rm -rf "$prefix" "$work"' EXIT
echo "install check passed: $deb"
