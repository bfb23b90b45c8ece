#!/usr/bin/env bash
# Installs what is missing and builds Trovelle (Release) into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# The compiler cache makes the sanitizer and package builds that follow, and a build again,
# cost a fraction of the first.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache >/dev/null
cmake --build build -j"$(nproc)"
