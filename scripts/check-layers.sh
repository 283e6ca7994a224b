#!/usr/bin/env bash
# Fails when a file includes one from a higher layer. The layers, lowest first; folders on
# one line stand side by side and may not include each other either:
#   settings → rules → image, configfile, aprs → device, gps → operations, sim → app, cli
# tests/ and bench/ sit above everything and may include any folder.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A level=(
    [settings]=0
    [rules]=1
    [image]=2 [configfile]=2 [aprs]=2
    [device]=3 [gps]=3
    [operations]=4 [sim]=4
    [app]=5 [cli]=5
)

status=0
for folder in "${!level[@]}"; do
    [ -d "$folder" ] || continue
    while IFS=: read -r file line target; do
        target_folder=${target%%/*}
        [ -n "${level[$target_folder]+set}" ] || continue
        [ "$target_folder" = "$folder" ] && continue
        if [ "${level[$target_folder]}" -ge "${level[$folder]}" ]; then
            echo "$file:$line: $folder/ may not include $target ($target_folder/ is not below it)"
            status=1
        fi
    done < <(grep -rnoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z_]+/[^"]+"' "$folder" \
                 --include='*.h' --include='*.cpp' --include='*.in' |
             sed -E 's/#[[:space:]]*include[[:space:]]*"([^"]+)"/\1/; s/:[[:space:]]*/:/2')
done
if [ $status -eq 0 ]; then
    echo "Layers: no folder includes one above it."
fi
exit $status
