#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the configurator need.
# Does nothing when everything is already there; uses sudo only when not run as root.
#   scripts/install-deps.sh            the Linux build and its tests
#   scripts/install-deps.sh --package  also the Debian package's build and checks
#   scripts/install-deps.sh --windows  also the Windows cross-build (scripts/build-windows.sh)
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
    fonts-dejavu-core         # the one font the window tests lay the window out in
    umockdev libumockdev-dev  # the emulated tracker on hidraw (tests/usb)
    direwolf                  # decode_aprs, which checks the APRS reader (tests/aprs); tests only
)
for option in "$@"; do
    case "$option" in
        --package)
            packages+=(dpkg-dev file help2man lintian desktop-file-utils appstream)
            ;;
        --windows)
            packages+=(
                g++-mingw-w64-x86-64-posix ninja-build
                dpkg-dev          # unpacks Debian's source packages
                wine64            # runs the tests and the programs
                nsis zip
            )
            ;;
    esac
done

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
