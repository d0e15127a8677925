#!/bin/sh
# ./pondel.sh windows: Qt for Windows (built once into the cache), then pondel,
# pondel-sheet, the samples and the Windows tests cross-built into build-windows/, and
# the installer build-windows/pondel-VERSION-setup.exe.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$here/common.sh"

build="$root/build-windows"

install_windows_packages
qt=$("$here/build_qt.sh" | tail -n 1)
[ -e "$qt/.complete" ] || { echo "windows: no Qt for Windows in $qt" >&2; exit 1; }

# GoogleTest for the Windows tests, from Debian's source, kept beside Qt.
gtest="$qt-googletest-$(deb_version googletest | tr -c 'A-Za-z0-9.\n' '_')"
if [ ! -e "$gtest/.complete" ]; then
    echo "windows: building GoogleTest for Windows"
    rm -rf "$gtest" "$gtest.build"
    nice -n 19 cmake -S /usr/src/googletest -B "$gtest.build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$qt/mingw-toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$gtest" -Dgtest_force_shared_crt=ON -DBUILD_GMOCK=OFF >/dev/null
    nice -n 19 cmake --build "$gtest.build"
    cmake --install "$gtest.build" >/dev/null
    rm -rf "$gtest.build"
    touch "$gtest/.complete"
fi

# Wine, for the tools that draw the samples and the icon at build time and for the tests:
# a prefix of its own, made once up front (tools started side by side by the build would
# each wait for it).
mkdir -p "$build"
export WINEPREFIX="$build/wine"
if [ ! -e "$WINEPREFIX/system.reg" ]; then
    # Without Mono and Gecko, which it would offer to download, and without the menu
    # entries and desktop files wine makes in the home folder for Windows shortcuts.
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" wineboot --init >/dev/null 2>&1
    timeout 120 wineserver -w || true
    # The user's Desktop, Documents and the like are links into the home folder: keep
    # what the installer and the tests put there inside the prefix.
    find "$WINEPREFIX/drive_c/users" -mindepth 2 -maxdepth 2 -type l -exec sh -c 'rm "$1" && mkdir "$1"' _ {} \;
fi
emulator="sh;$here/wine-run.sh;$qt;$WINEPREFIX"

nice -n 19 "$qt/bin/qt-cmake" -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$here/mingw-toolchain.cmake" \
    -DPONDEL_BUILD_BENCH=OFF -DGTest_DIR="$gtest/lib/cmake/GTest" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator"
nice -n 19 cmake --build "$build"

# What the installer puts into Program Files: no windeployqt here, so the list is ours.
stage="$build/stage"
rm -rf "$stage"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/imageformats" "$stage/samples"
cp "$build/pondel.exe" "$build/tools/sheet/pondel-sheet.exe" "$build/pondel.ico" "$stage/"
for dll in Qt6Core Qt6Gui Qt6Widgets; do cp "$qt/bin/$dll.dll" "$stage/"; done
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/"*.dll "$stage/styles/"
# Every picture format the Linux program reads: BMP is Qt's own, the rest are plugins.
for format in qgif qjpeg qico; do
    [ -e "$qt/plugins/imageformats/$format.dll" ] || { echo "windows: $qt has no $format.dll" >&2; exit 1; }
done
cp "$qt/plugins/imageformats/"*.dll "$stage/imageformats/"
mingw_runtime_dlls | while read -r dll; do cp "$dll" "$stage/"; done
cp "$build/samples/"* "$stage/samples/"
x86_64-w64-mingw32-strip "$stage"/*.exe "$stage"/*.dll "$stage"/*/*.dll

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
setup="$build/pondel-$version-setup.exe"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" \
    "$root/packaging/windows/pondel.nsi"
echo "windows: $setup ($(du -h "$setup" | cut -f1))"
