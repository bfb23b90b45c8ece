#!/usr/bin/env bash
# The include check passes on the tree as it is and fails on each planted arrow or outside
# library that ARCHITECTURE.md's table forbids, and on an arrow the table allows in vain,
# naming it.
#   check_includes.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
check() { python3 "$source_dir/scripts/check-includes.py" "$work/tree"; }

fresh() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree"
    cp -r "$source_dir/src" "$source_dir/decoder" "$source_dir/ARCHITECTURE.md" "$work/tree/"
}

fresh
check >/dev/null || { check; echo "the tree as it is fails the check"; exit 1; }

# file to plant into | the include | what the report must name
while IFS='|' read -r file include says; do
    fresh
    printf '%s\n' "$include" >>"$work/tree/$file"
    if out=$(check); then
        echo "planted $include in $file: the check passed"
        exit 1
    fi
    grep -qF -- "$says" <<<"$out" || { echo "planted $include in $file: report lacks '$says':"; echo "$out"; exit 1; }
done <<'PLANTS'
src/engine/thread.cpp|#include "gui/mainForm.h"|engine -> gui (gui/mainForm.h)
src/jobs/outputs.cpp|#include "playback/playManager.h"|jobs -> playback
src/image/scaler.h|#include "jobs/outputs.h"|image -> jobs
src/gui/widgets/sliderbar.cpp|#include "gui/dialogs/aboutForm.h"|gui/widgets -> gui/dialogs
src/jobs/thumbnailjob.cpp|#include <QWidget>|jobs -> Qt Widgets
src/playback/playthread.cpp|#include <QtWidgets/QLabel>|playback -> Qt Widgets
decoder/video_reader.cpp|#include "engine/decoder.h"|decoder -> engine
src/cli/main.cpp|#include "../gui/uiManager.h"|cli -> gui
src/jobs/sheetjob.cpp|#include <SDL/SDL.h>|jobs -> SDL
src/playback/playManager.cpp|#include <FreeImage.h>|playback -> FreeImage
src/gui/uiManager.cpp|#include <cairo.h>|gui -> Pango/Cairo
src/engine/decoder.cpp|#include <libavformat/avformat.h>|engine -> FFmpeg
src/image/scaler.cpp|#include <QString>|image -> Qt Core
src/settings/configManager.cpp|#include <QtNetwork/QLocalSocket>|settings -> Qt Network
src/cli/main.cpp|#include <xcb/xcb.h>|cli -> XCB
PLANTS

# An arrow the table allows that no file uses.
fresh
sed -i 's/^\(| `src\/cli\/` .*\)|$/\1, `playback` |/' "$work/tree/ARCHITECTURE.md"
if out=$(check) || ! grep -qF "cli -> playback, but no file" <<<"$out"; then
    echo "an arrow allowed in vain (cli -> playback) was not reported:"
    echo "$out"
    exit 1
fi
echo "ok"
