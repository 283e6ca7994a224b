#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the configurator need;
# with --package, also those that build and check its Debian package (scripts/package.sh).
# Does nothing when everything is already there; uses sudo only when not run as root.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libhidapi-dev libhidapi-hidraw0
    libjpeg-dev
    libgtest-dev googletest
    clang-format
    clang libclang-rt-14-dev  # the libFuzzer build (-DVELTROMARK_FUZZ=ON)
    xvfb xauth
    umockdev libumockdev-dev  # the emulated tracker on hidraw (tests/usb)
)
if [ "${1:-}" = "--package" ]; then
    packages+=(dpkg-dev file help2man lintian desktop-file-utils appstream)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
