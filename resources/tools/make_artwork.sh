#!/usr/bin/env bash
# Draws the artwork of Trovelle's windows again into resources/images and resources/icons.
# Usage: resources/tools/make_artwork.sh [build folder]   (default: build-art)
# The pictures use the "Open Sans" family (fonts-open-sans) for their lettering.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build-art}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target trovelle_makeart
QT_QPA_PLATFORM=offscreen "$build/bin/trovelle_makeart" "$root/resources"
