#!/usr/bin/env bash
# Runs clang-tidy, with the checks .clang-tidy names, on every source of the program (not the
# tests, the benchmarks or the fuzz targets), as the build in build/ (or BUILD_DIR) compiles
# them; fails on any finding. Build first (scripts/test.sh), so that the generated headers exist.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
if [ ! -f "$build_dir/compile_commands.json" ]; then
    echo "tidy.sh: no $build_dir/compile_commands.json; build first (scripts/test.sh)" >&2
    exit 1
fi
mapfile -t sources < <(git ls-files '*.cpp' | grep -v -E '^(tests|bench|assets)/')
echo "clang-tidy: ${#sources[@]} files"
# Two files at a time; clang-tidy prints nothing for a clean file.
printf '%s\n' "${sources[@]}" |
    xargs -P "$(nproc)" -n 4 clang-tidy -p "$build_dir" --quiet 2> /dev/null
echo "clang-tidy: no findings"
