#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given by BUILD_DIR), passing any
# arguments on to CMake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" "$@" > /dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
