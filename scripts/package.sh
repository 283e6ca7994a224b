#!/usr/bin/env bash
# Builds the Debian package from the install rules with CPack, in build-package/ (or the
# folder given by BUILD_DIR), with Debian's compiler and linker hardening flags, and prints
# the path of the .deb. scripts/check-package.sh checks it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --package
build_dir=${BUILD_DIR:-build-package}

# Debian's own flags, as its packages are built with; CMake reads CXXFLAGS and LDFLAGS but
# not CPPFLAGS (_FORTIFY_SOURCE).
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CPPFLAGS $CXXFLAGS"

# Build type None: the flags above and nothing else, as Debian builds CMake projects.
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
    -DVELTROMARK_TESTS=OFF -DVELTROMARK_BENCH=OFF -DVELTROMARK_DEMO=OFF \
    -DVELTROMARK_DEBIAN_DOCS=ON -DVELTROMARK_WERROR="${VELTROMARK_WERROR:-OFF}" > /dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
rm -f "$build_dir"/veltromark_*.deb
(cd "$build_dir" && cpack -G DEB > /dev/null)
ls "$build_dir"/veltromark_*.deb
