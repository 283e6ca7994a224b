#!/usr/bin/env bash
# Runs a Windows program under Wine, in a Wine prefix of the project's own beside the
# Windows build's library cache; CMake uses it as the emulator of the cross-built tests.
#   scripts/wine-run.sh PROGRAM.exe ARGS...
#   scripts/wine-run.sh --prepare    only create the prefix (once) and start its server
# A new prefix is created before the first program: Wine's first run in a new prefix
# only sets it up and exits.
set -euo pipefail
cache=${VELTROMARK_WIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/veltromark-win}
export WINEPREFIX=${WINEPREFIX:-$cache/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine=/usr/lib/wine/wine64

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            "$wine" wineboot --init > /dev/null 2>&1 || true
            /usr/lib/wine/wineserver -w
        fi
    ) 9> "$WINEPREFIX.lock"
fi
# A server that stays up a minute after the last program, started apart from the program:
# a server that the program started would inherit its output and keep the reader (ctest,
# the test listing) waiting until the server ends. Exits with 2 when one runs already.
/usr/lib/wine/wineserver -p 60 < /dev/null > /dev/null 2>&1 || true
if [ "${1:-}" = "--prepare" ]; then
    exit 0
fi
# The test list that CMake reads to register the tests: Windows ends its lines with CR LF,
# which CMake would keep in the test names.
for arg in "$@"; do
    if [ "$arg" = --gtest_list_tests ]; then
        set -o pipefail
        "$wine" "$@" | tr -d '\r'
        exit
    fi
done
exec "$wine" "$@"
