#!/usr/bin/env bash
# Checks an installation and the Debian package made from a Release build:
# installs BUILD (default build/) stripped into a scratch prefix, validates the menu entry
# and the AppStream metainfo, makes thumbnails with trovelle-thumbs from the prefix, then
# builds the package with CPack and checks it with lintian.
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
for program in "$prefix"/bin/trovelle "$prefix"/bin/trovelle-thumbs "$prefix"/lib*/trovelle/libdecoder.so; do
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

(cd "$build" && rm -f trovelle_*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$build"/trovelle_*.deb)
dpkg-deb --field "$deb" Depends
lintian --fail-on error --suppress-tags-from-file /dev/null "$deb"
echo "install check passed: $deb"
