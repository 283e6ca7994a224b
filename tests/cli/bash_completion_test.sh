#!/usr/bin/env bash
# The bash completion of veltromark-cli, as made from the tool's help at build time: what a
# TAB offers at each point of a command line, in a folder holding one file of each kind.
#   bash_completion_test.sh COMPLETION_FILE
set -uo pipefail
source "$1"

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder"
mkdir trips
touch a.cfg b.bin c.log d.gpx notes.txt

failures=0
# complete "LINE" "EXPECTED": the words offered for the last word of LINE (a trailing blank
# starts a new, empty word), sorted and joined by blanks.
complete_line() {
    local line=$1 expected=$2 offered
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _veltromark_cli
    offered=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' ')
    if [[ $offered != "$expected" ]]; then
        echo "FAIL: '$line': offered '$offered', expected '$expected'"
        failures=$((failures + 1))
    fi
}

complete_line "veltromark-cli read-" "read-config read-gps"
complete_line "veltromark-cli e" "encode erase-gps"
complete_line "veltromark-cli --v" "--version"
complete_line "veltromark-cli read-gps out.log --g" "--gpx"
complete_line "veltromark-cli read-config out.cfg --s" "--simulate --simulate-fault"
complete_line "veltromark-cli erase-gps --d" "--device"
complete_line "veltromark-cli nmea --" "--gpx --help --quiet"
complete_line "veltromark-cli nmea " "b.bin trips"
complete_line "veltromark-cli nmea b.bin " "c.log trips"
complete_line "veltromark-cli encode a.cfg " "b.bin trips"
complete_line "veltromark-cli encode a.cfg b.bin " ""
complete_line "veltromark-cli read-gps --gpx " "d.gpx trips"
complete_line "veltromark-cli read-gps --gpx d.gpx " "c.log trips"
complete_line "veltromark-cli read-config --simulate " "a.cfg trips"
complete_line "veltromark-cli upload-firmware " "b.bin trips"
complete_line "veltromark-cli erase-gps " ""
complete_line "veltromark-cli diff a.cfg tr" "tracker trips"
complete_line "veltromark-cli read-gps c.log --simulate-fault " "absent badsum@ busy noopen noreply@ sighup@ sigint@ sigquit@ sigterm@ unplug@ wrongpage@"
complete_line "veltromark-cli read-gps c.log --simulate-fault no" "noopen noreply@"
complete_line "veltromark-cli no-such-command " ""

if [ $failures -ne 0 ]; then
    exit 1
fi
echo "bash completion: every case offered what it should"
