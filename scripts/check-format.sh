#!/usr/bin/env bash
# Fails when clang-format (with the repository's .clang-format) would change any C++ source
# the repository holds, and names the files; `clang-format -i FILE` puts one right.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
unformatted=()
for file in "${sources[@]}"; do
    if ! clang-format --dry-run --Werror "$file" > /dev/null 2>&1; then
        unformatted+=("$file")
    fi
done
if [ ${#unformatted[@]} -gt 0 ]; then
    echo "clang-format would change ${#unformatted[@]} of ${#sources[@]} files:" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    exit 1
fi
echo "formatting: ${#sources[@]} files as clang-format has them"
