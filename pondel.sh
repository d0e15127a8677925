#!/bin/sh
# Sets up a Debian 12 machine for Pondel, builds it, and either starts the aquarium in
# the current folder (run), runs the whole test suite (test), or cross-builds the Windows
# program and its installer into build-windows/ (windows).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build="$here/build"
packages="cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libgtest-dev libbenchmark-dev
  fonts-ipafont-gothic xvfb xauth xdotool imagemagick desktop-file-utils appstream dpkg-dev
  libxcb-shm0-dev libxcb-screensaver0-dev qt6-base-private-dev libwayland-dev wayland-protocols xfishtank weston qt6-wayland qt6-wayland-dev xwayland lintian
  xserver-xephyr openbox x11-xserver-utils x11-utils"

install_missing() {
    missing=""
    for p in $packages; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
}

compile() {
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$build"
}

case "${1:-}" in
run)
    install_missing
    compile
    exec "$build/pondel"
    ;;
test)
    install_missing
    compile
    ctest --test-dir "$build" --output-on-failure -j2
    ;;
windows)
    exec sh "$here/tools/windows/build.sh"
    ;;
*)
    echo "usage: $0 run|test|windows" >&2
    exit 2
    ;;
esac
