#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen SDL_VIDEODRIVER=dummy
cd build
ctest --output-on-failure -j"$(nproc)"
