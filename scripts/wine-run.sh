#!/usr/bin/env bash
# Runs a Windows program under Wine, in a Wine prefix of the project's own beside the
# Windows build's library cache; CMake uses it as the emulator of the cross-built tests.
#   scripts/wine-run.sh PROGRAM.exe ARGS...
#   scripts/wine-run.sh --prepare    only create the prefix and start its server and services
#
# Wine starts its services (services.exe, plugplay, winedevice, explorer for the desktop)
# from whichever program needs them first, and they inherit that program's standard output
# and error. Whoever reads those through a pipe (ctest, CMake's test listing, a $(...)) then
# waits until the services end, which in a new prefix is never. So:
# - the server and the services are started here first, detached, with /dev/null for every
#   stream, under a lock, so that no program of ours is the one that starts them;
# - a program's output goes to unnamed temporary files, copied out when it ends, so that a
#   service started later on its behalf holds a file, not the reader's pipe.
set -euo pipefail
cache=${VELTROMARK_WIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/veltromark-win}
export WINEPREFIX=${WINEPREFIX:-$cache/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        # The prefix's first start only sets it up; wait until everything it started ends.
        setsid "$wine" wineboot --init < /dev/null > /dev/null 2>&1 9>&- || true
        "$wineserver" -w 9>&-
    fi
    # Nothing started here keeps the lock (fd 9): the server would hold it while it lives.
    # A server that stays a minute after the last program (-pN takes its number attached).
    # It exits with a failure when one runs already; a new one gets its services at once.
    if setsid "$wineserver" -p60 < /dev/null > /dev/null 2>&1 9>&-; then
        setsid "$wine" wineboot < /dev/null > /dev/null 2>&1 9>&- || true
    fi
) 9> "$WINEPREFIX.lock"
if [ "${1:-}" = "--prepare" ]; then
    exit 0
fi

out=$(mktemp)
err=$(mktemp)
exec 3> "$out" 4< "$out" 5> "$err" 6< "$err"
rm -f "$out" "$err"
status=0
"$wine" "$@" >&3 2>&5 4<&- 6<&- || status=$?
exec 3>&- 5>&-
# The test list that CMake reads to register the tests: Windows ends its lines with CR LF,
# which CMake would keep in the test names.
listing=false
for arg in "$@"; do
    [ "$arg" = --gtest_list_tests ] && listing=true
done
if $listing; then
    tr -d '\r' <&4
else
    cat <&4
fi
cat <&6 >&2
exit "$status"
