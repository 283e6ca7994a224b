#!/usr/bin/env bash
# Rehearses CI as a new machine would run it: a clean clone of the committed main branch,
# a Wine prefix that has never been used, then .ci/run. Only the Windows library cache is
# kept warm (a cold one adds the Qt build, some 20 minutes on two free cores).
#   scripts/rehearse-ci.sh             the whole of .ci/run
#   scripts/rehearse-ci.sh --windows   only scripts/build-windows.sh and the full
#                                      scripts/test-windows.sh
# With --windows, LINUX_BUILD_DIR may name a Linux build to compare with (default: one built
# in the clone).
# Each run works in a new folder under ${REHEARSAL_ROOT:-/tmp}, kept for a look afterwards;
# its log is rehearsal.log there. Prints the time each step took, and the total.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=ci
case "${1:-}" in
    --windows) mode=windows ;;
    "") ;;
    *) echo "usage: $0 [--windows]" >&2; exit 2 ;;
esac

work=$(mktemp -d "${REHEARSAL_ROOT:-/tmp}/veltromark-rehearsal.XXXXXX")
git clone -q --branch main "$root" "$work/clone"
export WINEPREFIX=$work/wineprefix   # never used before
log=$work/rehearsal.log
echo "rehearsal in $work ($(git -C "$work/clone" log -1 --format='%h %s'))"

start=$SECONDS
status=0
(
    cd "$work/clone"
    if [ "$mode" = windows ]; then
        scripts/build-windows.sh
        LINUX_BUILD_DIR=${LINUX_BUILD_DIR:-build} scripts/test-windows.sh
    else
        .ci/run
    fi
) > "$log" 2>&1 || status=$?
grep '^== ' "$log" || true
echo "rehearsal ($mode) ended with status $status after $(((SECONDS - start) / 60)) min $(((SECONDS - start) % 60)) s; log: $log"
exit "$status"
