#!/usr/bin/env bash
# Installs what is missing, builds the configurator wired to the simulated tracker and starts
# it. Only the demo program and the libraries it needs are built: the tests and benchmarks
# wait for scripts/test.sh, which builds them in the same folder (the folder's cached options
# are left as they are).
#   BUILD_DIR  the build folder (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build_dir=${BUILD_DIR:-build}
options=()
# A folder configured without the demo (the package build's options) gets it back.
if grep -qs '^VELTROMARK_DEMO:BOOL=OFF$' "$build_dir/CMakeCache.txt"; then
    options+=(-DVELTROMARK_DEMO=ON)
fi
cmake -S . -B "$build_dir" "${options[@]}" > /dev/null
cmake --build "$build_dir" --target veltromark-demo --parallel "$(nproc)"
exec "$build_dir/app/veltromark-demo" "$@"
