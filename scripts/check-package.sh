#!/usr/bin/env bash
# Checks the Debian package with the distribution's own tools: lintian (errors and warnings
# fail; the warnings kept are overridden in packaging/lintian-overrides, each with its
# reason), desktop-file-validate, appstreamcli, and an unpacked copy whose files must be
# exactly those in packaging/package-files.txt and whose programs answer --version.
#   scripts/check-package.sh [PACKAGE.deb]     (default: the one in build-package/)
set -euo pipefail
cd "$(dirname "$0")/.."
deb=${1:-$(ls build-package/veltromark_*.deb)}
status=0
fail() {
    echo "check-package: $*" >&2
    status=1
}

echo "== lintian"
lintian --fail-on error,warning --display-info "$deb" || fail "lintian found problems"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

echo "== files"
if ! diff -u packaging/package-files.txt <(cd "$root" && find . -mindepth 1 ! -type d | sed "s|^\\.||" | LC_ALL=C sort); then
    fail "the package's files differ from packaging/package-files.txt"
fi

echo "== desktop-file-validate"
desktop-file-validate "$root"/usr/share/applications/*.desktop || fail "desktop entry"

echo "== appstreamcli validate"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "AppStream data"

echo "== dependencies and maintainer scripts"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libqt6widgets6 libhidapi-hidraw0 libjpeg62-turbo; do
    [[ $depends == *"$library"* ]] || fail "Depends lacks $library"
done
for script in postinst postrm; do
    dpkg-deb --ctrl-tarfile "$deb" | tar -tvf - ./$script | grep -q '^-rwxr-xr-x' ||
        fail "$script is missing or not executable"
done

echo "== postinst and postrm with udev, with a failing udev, without udev"
# A stand-in udevadm that logs its arguments and fails when its first one is the
# subcommand named in $root/failing.
mkdir "$root/control" "$root/udev" "$root/no-udev"
dpkg-deb -e "$deb" "$root/control"
printf '#!/bin/sh\necho "$*" >> "%s/calls"\n[ "$1" != "$(/bin/cat "%s/failing")" ]\n' \
    "$root" "$root" > "$root/udev/udevadm"
chmod +x "$root/udev/udevadm"
maintainer_script() {  # maintainer_script SCRIPT ACTION FOLDER-ON-PATH FAILING-SUBCOMMAND
    echo "$4" > "$root/failing"
    : > "$root/calls"
    PATH="$root/$3" /bin/sh "$root/control/$1" "$2" ||
        fail "$1 $2 failed ($3, failing udevadm $4)"
}
postinst() { maintainer_script postinst configure "$@"; }
postinst udev none
[ "$(cat "$root/calls")" = $'control --reload-rules\ntrigger --subsystem-match=hidraw' ] ||
    fail "postinst did not reload the rules and trigger hidraw: $(cat "$root/calls")"
postinst udev control
postinst udev trigger
postinst no-udev none
[ ! -s "$root/calls" ] || fail "postinst ran udevadm while it was not on the path"
for action in remove purge; do
    maintainer_script postrm $action udev none
    [ "$(cat "$root/calls")" = $'control --reload-rules\ntrigger --subsystem-match=hidraw' ] ||
        fail "postrm $action did not reload the rules: $(cat "$root/calls")"
done
maintainer_script postrm upgrade udev none
[ ! -s "$root/calls" ] || fail "postrm upgrade ran udevadm"
maintainer_script postrm remove udev control
maintainer_script postrm remove no-udev none

echo "== the man pages show text outside ASCII"
# Made in UTF-8: the arrows of diff and check, not question marks.
page=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$root/usr/share/man/man1/veltromark-cli.1.gz" 2>/dev/null)
[[ $page == *"page › … › label: A-value → B-value"* ]] ||
    fail "the man page of veltromark-cli does not show › and →"

echo "== the unpacked programs"
# No display: both must answer from their command line alone.
for program in veltromark veltromark-cli; do
    env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/$program" --version ||
        fail "$program --version"
done

if [ $status -eq 0 ]; then
    echo "Package checks passed: $deb"
fi
exit $status
