#!/usr/bin/env bash
# Installs what is missing, builds and runs every test headless.
#   scripts/test.sh             the normal build, in build/
#   scripts/test.sh --sanitize  with AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
if [ "${1:-}" = "--sanitize" ]; then
    export BUILD_DIR=build-asan
    scripts/build.sh -DVELTROMARK_WERROR=ON -DVELTROMARK_SANITIZE=ON -DVELTROMARK_BENCH=OFF \
        -DCMAKE_BUILD_TYPE=Debug
    export ASAN_OPTIONS=detect_leaks=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
    export BUILD_DIR=build
    scripts/build.sh -DVELTROMARK_WERROR=ON
fi
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure --parallel "$(nproc)"
