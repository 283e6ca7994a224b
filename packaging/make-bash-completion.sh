#!/usr/bin/env bash
# Writes the bash completion of veltromark-cli to standard output, made from the tool's own
# help: the commands from `veltromark-cli --help`, and each command's arguments and options
# from `veltromark-cli COMMAND --help`. A command or option added to the tool is completed
# after the next build without touching this file.
#   make-bash-completion.sh PATH/TO/veltromark-cli > veltromark-cli
# Value names decide what a file argument completes to: `OUT.cfg` offers *.cfg files (and
# folders), a name without an extension (`PATH`) any file; an argument shown as `A|tracker`
# also offers the word `tracker`, and `FAULT` offers the faults of the "Faults:" section.
set -euo pipefail
tool=$1

# The first column of the rows in one section ("Commands:", "Arguments:", "Options:") of a
# help text: the text before the first run of two blanks.
column() {
    awk -v section="$1" '
        $0 == section { inside = 1; next }
        inside && /^[^ ]/ { inside = 0 }
        inside && /^  [^ ]/ { sub(/^  /, ""); sub(/  .*/, ""); print }
        inside && /^$/ { inside = 0 }'
}

# What a value name completes to: its extension, or * for any file, or - for no file; then
# the words it also takes.
kind() {
    local name=${1%%|*} words=
    [[ $1 == *'|'* ]] && words=" ${1#*|}"
    case $name in
        FAULT) echo "-$fault_words" ;;
        *.*) echo "${name##*.}$words" ;;
        *) echo "*$words" ;;
    esac
}

# The options of one help text as shell code setting `options` and `values`.
options_code() {
    local help=$1 row names=() word previous
    local -a value_pairs=()
    while IFS= read -r row; do
        previous=
        for word in ${row//,/ }; do
            if [[ $word == -* ]]; then
                names+=("$word")
                previous=$word
            elif [[ -n $previous ]]; then
                value_pairs+=("[$previous]='$(kind "$word")'")
            fi
        done
    done < <(column 'Options:' <<<"$help")
    echo "            options='${names[*]}'"
    echo "            values=(${value_pairs[*]})"
}

top_help=$("$tool" --help)
# The faults, offered as typed up to the exchange number: "unplug@", "noopen".
fault_words=
while IFS= read -r fault; do
    fault_words+=" ${fault%N}"
done < <(column 'Faults:' <<<"$top_help")
mapfile -t commands < <(column 'Commands:' <<<"$top_help")
if [ ${#commands[@]} -eq 0 ]; then
    echo "make-bash-completion.sh: no commands in '$tool --help'" >&2
    exit 1
fi

cat <<'EOF'
# bash completion for veltromark-cli: commands, options and file arguments.
# Made from the tool's own --help at build time by packaging/make-bash-completion.sh.

# What a value takes, as "KIND [WORD...]": files with extension KIND (and folders), any file
# when KIND is *, none when it is -; and the words. A word ending in @ wants its number next.
_veltromark_cli_files() {
    local IFS=$'\n' kind=${1%% *} words=
    [[ $1 == *' '* ]] && words=${1#* }
    if [[ $kind == '*' ]]; then
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -f -- "$cur"))
    elif [[ $kind != - ]]; then
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -d -- "$cur") $(compgen -f -X "!*.$kind" -- "$cur"))
    fi
    IFS=$' \t\n'
    COMPREPLY+=($(compgen -W "$words" -- "$cur"))
    if [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *@ ]]; then
        compopt -o nospace 2>/dev/null
    fi
}

_veltromark_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    local command= options= args=() i word
    local -A values=()
    COMPREPLY=()

    # The command is the first word that is not an option.
    for ((i = 1; i < COMP_CWORD; i++)); do
        if [[ ${COMP_WORDS[i]} != -* ]]; then
            command=${COMP_WORDS[i]}
            break
        fi
    done

    case $command in
        '')
EOF
options_code "$top_help"
echo "            ;;"
for c in "${commands[@]}"; do
    help=$("$tool" "$c" --help)
    kinds=()
    while IFS= read -r name; do
        kinds+=("'$(kind "$name")'")
    done < <(column 'Arguments:' <<<"$help")
    echo "        $c)"
    options_code "$help"
    echo "            args=(${kinds[*]})"
    echo "            ;;"
done
cat <<EOF
        *)
            return
            ;;
    esac

    if [[ -n \$prev && -n \${values[\$prev]+set} ]]; then
        _veltromark_cli_files "\${values[\$prev]}"
        return
    fi
    if [[ \$cur == -* ]]; then
        COMPREPLY=(\$(compgen -W "\$options" -- "\$cur"))
        return
    fi
    if [[ -z \$command ]]; then
        COMPREPLY=(\$(compgen -W '${commands[*]}' -- "\$cur"))
        return
    fi

    # Which of the command's arguments this is: count the words before it that are neither
    # options nor option values; the first of them is the command itself.
    local count=0
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=\${COMP_WORDS[i - 1]}
        [[ \${COMP_WORDS[i]} == -* || -n \$word && -n \${values[\$word]+set} ]] && continue
        ((count += 1))
    done
    if ((count - 1 < \${#args[@]})); then
        _veltromark_cli_files "\${args[count - 1]}"
    fi
}
complete -F _veltromark_cli veltromark-cli
EOF
