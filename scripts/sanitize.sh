#!/usr/bin/env bash
# Builds and runs the tests under sanitizers in a build folder of their own.
#
#   scripts/sanitize.sh address,undefined [CTEST_ARGS...]
#   scripts/sanitize.sh thread -R 'thread|Thread'
set -euo pipefail
cd "$(dirname "$0")/.."
sanitizers=${1:?usage: sanitize.sh address,undefined|thread [ctest arguments]}
shift
build="build-${sanitizers//,/-}"
bash scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTROVELLE_SANITIZE="$sanitizers" >/dev/null
cmake --build "$build" -j"$(nproc)"

# The test videos are made before the sanitizer runtime is preloaded (it would report
# the shell's own leaks); ctest then skips the fixture step.
bash tests/fixtures/make_fixtures.sh "$build/fixtures"

case "$sanitizers" in
    *thread*) runtime=libtsan.so ;;
    *) runtime=libasan.so ;;
esac
# The sanitizer runtime intercepts dlopen, so the executables' RUNPATH no longer applies
# to loading libdecoder.so; and a library unloaded by dlclose leaves FFmpeg's one-time
# tables unreachable, which the leak checker would report. Preload the runtime and the
# decoding library: it is found and never unloaded.
export LD_LIBRARY_PATH="$PWD/$build/bin"
export LD_PRELOAD="$("${CXX:-g++}" -print-file-name=$runtime):$PWD/$build/bin/libdecoder.so"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS="second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp ${TSAN_OPTIONS:-}"
export QT_QPA_PLATFORM=offscreen SDL_VIDEODRIVER=dummy
cd "$build"
ctest --output-on-failure -j"$(nproc)" -FS videos "$@"
