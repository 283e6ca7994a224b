#!/usr/bin/env bash
# Builds the Windows version on Linux with MinGW-w64, against static Qt, hidapi (Windows
# backend), libjpeg-turbo and GoogleTest built from Debian's own sources.
#
#   scripts/build-windows.sh           libraries (once), program, tests, zip and installer
#   scripts/build-windows.sh --deps    only the libraries, into the cache
#   scripts/build-windows.sh --no-tests  the program and the packages without the tests
#
# The libraries are built once into a cache outside the checkout and reused while their
# Debian source versions and the build recipe below stay the same:
#   VELTROMARK_WIN_CACHE  the cache (default: ${XDG_CACHE_HOME:-$HOME/.cache}/veltromark-win)
#   BUILD_DIR             the project's build folder (default: build-win)
#   JOBS                  parallel jobs (default: 2)
#   VELTROMARK_WERROR     ON: warnings are errors (CI sets it)
# The results land in $BUILD_DIR/dist: veltromark-<version>-win64.zip (both programs and the
# installer) and veltromark-<version>-setup.exe.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${VELTROMARK_WIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/veltromark-win}
build_dir=${BUILD_DIR:-build-win}
case $build_dir in /*) ;; *) build_dir=$root/$build_dir ;; esac
jobs=${JOBS:-2}
toolchain=$root/cmake/mingw-w64-x86_64.cmake
# Bump when a library's build flags change: every library is then built anew.
recipe=2

mode=all
case "${1:-}" in
    --deps) mode=deps ;;
    --no-tests) mode=no-tests ;;
    "") ;;
    *) echo "usage: $0 [--deps | --no-tests]" >&2; exit 2 ;;
esac

"$root/scripts/install-deps.sh" --windows
mkdir -p "$cache"

log() { echo "== $*"; }

# --- Sources, through an apt configuration of our own that leaves the system's alone -------
apt_dir=$cache/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
mirror=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
mirror=${mirror:-http://deb.debian.org/debian}
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm main" \
    > "$apt_dir/sources.list"
apt_opts=(-o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o Dir::Etc::sourceparts=-
          -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
          -o APT::Sandbox::User=root -o Acquire::Retries=3)
if [ -z "$(find "$apt_dir/lists" -name '*Sources*' -mtime -1 2>/dev/null)" ]; then
    log "updating the source package lists"
    if ! apt-get "${apt_opts[@]}" update -qq; then
        if [ -z "$(find "$apt_dir/lists" -name '*Sources*' 2>/dev/null)" ]; then
            echo "cannot read Debian's source package lists" >&2
            exit 1
        fi
        echo "warning: the source lists could not be updated; using the previous ones" >&2
    fi
fi

# source_version PACKAGE: the newest version of a Debian source package.
source_version() {
    apt-cache "${apt_opts[@]}" showsrc "$1" | awk '/^Version:/ { print $2 }' | sort -V | tail -n 1
}

# unpacked_source PACKAGE VERSION: prints the folder holding the unpacked source, with
# Debian's patches applied; downloads it the first time.
unpacked_source() {
    local pkg=$1 ver=$2 dir=$cache/src/$1_${2#*:}
    if [ ! -d "$dir" ]; then
        log "fetching $pkg $ver" >&2
        local dl=$cache/src/download-$pkg
        rm -rf "$dl" && mkdir -p "$dl"
        (cd "$dl" && apt-get "${apt_opts[@]}" source -qq --download-only "$pkg=$ver" >&2 &&
            dpkg-source --no-check -x ./*.dsc unpacked >&2)
        mv "$dl/unpacked" "$dir"
        rm -rf "$dl"
    fi
    echo "$dir"
}

# cmake_install NAME SOURCE PREFIX [ARGS...]: configures, builds and installs one library
# with the Windows toolchain into PREFIX. Builds into PREFIX.part and moves it in place at the
# end, so an interrupted build never looks finished.
cmake_install() {
    local name=$1 src=$2 prefix=$3
    shift 3
    local work=$cache/work/$name
    log "building $name into $prefix"
    rm -rf "$work" "$prefix.part"
    local start=$SECONDS
    nice -n 10 cmake -G Ninja -S "$src" -B "$work" -Wno-dev \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix.part" "$@" > "$cache/$name-configure.log"
    nice -n 10 cmake --build "$work" --parallel "$jobs" > "$cache/$name-build.log"
    cmake --install "$work" > /dev/null
    mv "$prefix.part" "$prefix"
    rm -rf "$work"
    log "$name built in $((SECONDS - start)) s, $(du -sh "$prefix" | cut -f1) installed"
}

qt_ver=$(source_version qt6-base)
hidapi_ver=$(source_version hidapi)
jpeg_ver=$(source_version libjpeg-turbo)
gtest_ver=$(dpkg-query -W -f='${Version}' googletest)
for v in "$qt_ver" "$hidapi_ver" "$jpeg_ver" "$gtest_ver"; do
    [ -n "$v" ] || { echo "a source package version is missing" >&2; exit 1; }
done

# One folder per library build; the version's epoch ("1:") would be a path separator in
# CMake's and Wine's eyes.
qt_prefix=$cache/qt6-base_${qt_ver#*:}-r$recipe
hidapi_prefix=$cache/hidapi_${hidapi_ver#*:}-r$recipe
jpeg_prefix=$cache/libjpeg-turbo_${jpeg_ver#*:}-r$recipe
gtest_prefix=$cache/googletest_${gtest_ver#*:}-r$recipe

if [ ! -d "$hidapi_prefix" ]; then
    cmake_install hidapi "$(unpacked_source hidapi "$hidapi_ver")" "$hidapi_prefix" \
        -DBUILD_SHARED_LIBS=OFF
fi
if [ ! -d "$jpeg_prefix" ]; then
    cmake_install libjpeg-turbo "$(unpacked_source libjpeg-turbo "$jpeg_ver")" "$jpeg_prefix" \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
fi
if [ ! -d "$gtest_prefix" ]; then
    cmake_install googletest /usr/src/googletest "$gtest_prefix" -DBUILD_SHARED_LIBS=OFF
fi
if [ ! -d "$qt_prefix" ]; then
    # Static, with Qt's own copies of the image, font and text libraries, without the modules
    # the program does not use. Qt 6.4.2's Windows platform plugin needs OpenGL, and tablet
    # events need wintab.h, which the source does not carry.
    cmake_install qt6-base "$(unpacked_source qt6-base "$qt_ver")" "$qt_prefix" \
        -DQT_HOST_PATH=/usr -DQt6HostInfo_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo \
        -DBUILD_SHARED_LIBS=OFF -DFEATURE_static_runtime=ON \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
        -DFEATURE_system_jpeg=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF \
        -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF \
        -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF \
        -DFEATURE_tabletevent=OFF -DINPUT_opengl=desktop \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
fi
# Older builds of the libraries are left behind by a version change: drop them.
for old in "$cache"/*-r[0-9]*; do
    case $old in
        "$qt_prefix" | "$hidapi_prefix" | "$jpeg_prefix" | "$gtest_prefix") ;;
        *.part) ;;
        *) [ -d "$old" ] && rm -rf "$old" ;;
    esac
done
if [ "$mode" = deps ]; then
    exit 0
fi

# --- The project ----------------------------------------------------------------------------
tests=ON
[ "$mode" = no-tests ] && tests=OFF
version=$(sed -n 's/^project(veltromark VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
# The program is built at -O2, as on Linux. The toolchain file turns interprocedural
# register allocation off for the libraries and the program alike (see there why).
log "building veltromark $version for Windows in $build_dir"
start=$SECONDS
cmake -G Ninja -S "$root" -B "$build_dir" -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_FIND_ROOT_PATH="$qt_prefix;$hidapi_prefix;$jpeg_prefix;$gtest_prefix" \
    -DQT_HOST_PATH=/usr -DQt6HostInfo_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh" \
    -DVELTROMARK_TESTS=$tests -DVELTROMARK_BENCH=OFF \
    -DVELTROMARK_WERROR="${VELTROMARK_WERROR:-OFF}" > /dev/null
if [ "$tests" = ON ]; then
    "$root/scripts/wine-run.sh" --prepare  # the tests are listed under Wine while building
fi
nice -n 10 cmake --build "$build_dir" --parallel "$jobs"
log "project built in $((SECONDS - start)) s"

# --- The packages ---------------------------------------------------------------------------
dist=$build_dir/dist
stage=$build_dir/stage
rm -rf "$dist" "$stage"
mkdir -p "$dist" "$stage"
for exe in app/veltromark.exe cli/veltromark-cli.exe; do
    x86_64-w64-mingw32-strip -o "$stage/$(basename "$exe")" "$build_dir/$exe"
done
setup=veltromark-$version-setup.exe
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$dist/$setup" \
    "$root/packaging/windows/veltromark.nsi"
cp "$dist/$setup" "$stage/"
zip_name=veltromark-$version-win64.zip
(cd "$stage" && zip -q -X -9 "$dist/$zip_name" veltromark.exe veltromark-cli.exe "$setup")
log "packages in $dist:"
ls -l "$dist" "$stage"/*.exe | sed 's/^/   /'
