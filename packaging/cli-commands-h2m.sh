#!/usr/bin/env bash
# Writes a help2man include section with every command of veltromark-cli, made from the
# tool's own `COMMAND --help`: its synopsis, description, arguments and options. The man
# page then answers what `veltromark-cli COMMAND --help` does.
#   cli-commands-h2m.sh PATH/TO/veltromark-cli > commands.h2m
set -euo pipefail
tool=$1

commands=$("$tool" --help | awk '
    $0 == "Commands:" { inside = 1; next }
    inside && /^  [^ ]/ { print $1; next }
    inside { exit }')

echo "[COMMANDS IN DETAIL]"
for command in $commands; do
    "$tool" "$command" --help | awk '
        # roff: a minus is \-, a line may not start with a dot or a quote.
        function roff(text) {
            gsub(/\\/, "\\e", text)
            gsub(/-/, "\\-", text)
            sub(/^[.'\'']/, "\\\\\\&&", text)
            return text
        }
        /^Usage: / {
            sub(/^Usage: [^ ]+ /, "")
            printf ".SS \"%s\"\n", roff($0)
            next
        }
        /^(Arguments|Options):$/ { rows = 1; next }
        /^$/ { if (!rows && started) print ".PP"; next }
        rows && /^  [^ ]/ {
            line = substr($0, 3)
            match(line, /  +/)
            name = substr(line, 1, RSTART - 1)
            if (name == "-h, --help") next
            printf ".TP\n.B %s\n%s\n", roff(name), roff(substr(line, RSTART + RLENGTH))
            next
        }
        !rows { started = 1; print roff($0) }'
done
