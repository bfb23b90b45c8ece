#!/usr/bin/env bash
# Builds and runs the tests under sanitizers in a build folder of their own
# (build-address-undefined, build-thread).
#
#   scripts/sanitize.sh address,undefined [CTEST_ARGS...]        every test
#   scripts/sanitize.sh thread --only test_player,test_convert    only these suites
#
# --only builds just the named test executables (and what they need) and runs their tests.
set -euo pipefail
cd "$(dirname "$0")/.."
sanitizers=${1:?usage: sanitize.sh address,undefined|thread [--only SUITE,...] [ctest arguments]}
shift
targets=()
ctest_args=()
if [ "${1:-}" = --only ]; then
    IFS=, read -r -a targets <<< "${2:?--only needs a comma-separated list of test suites}"
    shift 2
    ctest_args=(-R "^($(IFS='|'; echo "${targets[*]}"))\\.|^make_fixtures\$")
fi
build="build-${sanitizers//,/-}"
bash scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTROVELLE_SANITIZE="$sanitizers" "${launcher[@]}" >/dev/null
if [ ${#targets[@]} -gt 0 ]; then
    cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"
else
    cmake --build "$build" -j"$(nproc)"
fi

# The sanitizers stop a test at their first report; leaks are reported (AddressSanitizer
# checks them at exit). Qt's and FFmpeg's own races are named in tests/tsan.supp by their
# frames only.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1 ${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1 ${UBSAN_OPTIONS:-}"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp ${TSAN_OPTIONS:-}"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp ${LSAN_OPTIONS:-}"
export QT_QPA_PLATFORM=offscreen SDL_VIDEODRIVER=dummy
cd "$build"
ctest --output-on-failure -j"$(nproc)" "${ctest_args[@]}" "$@"
