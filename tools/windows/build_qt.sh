#!/bin/sh
# Builds Qt for Windows (Core, Gui, Widgets, Test and the windows platform plugin) from
# Debian's own qt6-base source, once per Qt and compiler version, into the cache. Prints
# the install folder on its last line. Safe to start twice: the second waits for the first.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

install_windows_packages
prefix=$(qt_windows_dir)
mkdir -p "$cache_root"

exec 9>"$cache_root/.qt-build.lock"
flock 9

if [ -e "$prefix/.complete" ]; then
    echo "windows: Qt for Windows already built"
    echo "$prefix"
    exit 0
fi

qt_deb=$(deb_version qt6-base-dev)
src_root="$cache_root/src"
src="$src_root/qt6-base-$(echo "$qt_deb" | sed 's/-[^-]*$//; s/.*://')"
if [ ! -e "$src/.fetched" ]; then
    # The source comes from the archive the binaries came from, so the host Qt matches.
    if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            as_root tee /etc/apt/sources.list.d/pondel-deb-src.sources >/dev/null
        as_root apt-get -o DPkg::Lock::Timeout=900 update
    fi
    rm -rf "$src_root"
    mkdir -p "$src_root"
    (cd "$src_root" && apt-get source --only-source "qt6-base=$qt_deb")
    found=$(find "$src_root" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    [ "$found" = "$src" ] || mv "$found" "$src"
    touch "$src/.fetched"
fi

# The JPEG reader is built from the libjpeg that Qt's source carries; the GIF reader is
# Qt's own. Without the former the build would quietly leave JPEG out.
if [ ! -e "$src/src/3rdparty/libjpeg/src/jpeglib.h" ]; then
    echo "windows: $src has no src/3rdparty/libjpeg; JPEG could not be built" >&2
    exit 1
fi

# The installed Qt remembers the toolchain file's path: keep a copy beside it, so the
# cache does not depend on where this checkout lives. A build that was cut short goes on
# where it stopped.
rm -rf "$prefix"
mkdir -p "$prefix"
cp "$here/mingw-toolchain.cmake" "$prefix/mingw-toolchain.cmake"

start=$(date +%s)
nice -n 19 cmake -S "$src" -B "$prefix.build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-toolchain.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
    -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_opengl_dynamic=OFF -DFEATURE_dynamicgl=OFF \
    -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF \
    -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_zstd=OFF -DFEATURE_icu=OFF -DFEATURE_fontconfig=OFF -DFEATURE_pkg_config=OFF \
    -DFEATURE_png=ON -DFEATURE_ico=ON -DFEATURE_gif=ON -DFEATURE_jpeg=ON \
    -DFEATURE_testlib=ON -DFEATURE_widgets=ON \
    -DFEATURE_direct2d=ON -DFEATURE_direct2d1_1=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_zlib=OFF \
    -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF
nice -n 19 cmake --build "$prefix.build"
cmake --install "$prefix.build"
rm -rf "$prefix.build"
touch "$prefix/.complete"
echo "windows: Qt for Windows built in $(( $(date +%s) - start )) s"
echo "$prefix"
