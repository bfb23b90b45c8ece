#!/usr/bin/env bash
# Checks an installation and the Debian package made from a Release build:
# installs BUILD (default build/) stripped into a scratch prefix, validates the menu entry
# and the AppStream metainfo, looks for the window's translations, makes thumbnails with trovelle-thumbs from the prefix and a
# file manager's preview through the installed thumbnailer entry, then builds the package
# with CPack, checks it with lintian (warnings fail it too), and builds the same commit
# again in another folder (BUILD-again), whose package must be the same byte for byte.
#
#   scripts/install-check.sh [BUILD]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
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

# Builds the package of build folder $1; prints its path.
package() {
    (cd "$1" && rm -f trovelle_*.deb && cpack -G DEB >/dev/null)
    ls "$1"/trovelle_*.deb
}
deb=$(package "$build")
dpkg-deb --field "$deb" Depends
contents=$(dpkg-deb --contents "$deb")
for qm in "${translations[@]}"; do
    if ! grep -q " \./usr/$qm\$" <<<"$contents"; then
        echo "not in the package: /usr/$qm" >&2
        exit 1
    fi
done
lintian --fail-on error,warning --suppress-tags-from-file /dev/null "$deb"

# The same commit built in another folder gives the same package. Compiler caching sees
# both folders alike when paths are taken relative to the source folder.
again="$build-again"
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=$PWD
fi
cmake -S . -B "$again" -DCMAKE_BUILD_TYPE="$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt")" \
    -DBUILD_TESTING=OFF "${launcher[@]}" >/dev/null
cmake --build "$again" -j"$(nproc)" >/dev/null
deb_again=$(package "$again")
if ! cmp "$deb" "$deb_again"; then
    echo "two builds of one commit gave different packages: $deb $deb_again" >&2
    exit 1
fi
echo "install check passed: $deb"
