#!/usr/bin/env bash
# Installs what is missing, builds, and starts Trovelle.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
if [ -x build/bin/trovelle ]; then
    exec build/bin/trovelle "$@"
fi
echo "The window is not built yet; built so far:" >&2
ls build/bin >&2
if [ -x build/bin/trovelle-thumbs ]; then
    exec build/bin/trovelle-thumbs --help
fi
