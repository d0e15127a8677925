# Shared by the Windows build scripts: where things live and how to install what is missing.
# Sourced, not run.

windows_packages="mingw-w64 wine wine64 nsis dpkg-dev cmake ninja-build googletest qt6-base-dev
  xvfb xauth fonts-ipafont-gothic"

cache_root=${PONDEL_CACHE:-/var/cache/pondel}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# apt may be busy with another build on the same machine: wait for its lock, not fail.
apt_install() {
    DEBIAN_FRONTEND=noninteractive as_root apt-get -o DPkg::Lock::Timeout=900 \
        install -y --no-install-recommends "$@"
}

install_windows_packages() {
    missing=""
    for p in $windows_packages; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    echo "windows: installing$missing"
    as_root apt-get -o DPkg::Lock::Timeout=900 update
    # shellcheck disable=SC2086
    apt_install $missing
}

deb_version() {
    dpkg-query -W -f='${Version}' "$1"
}

# A kept Qt is good only for the Qt source, compiler and build options it was built from.
# Raise qt_recipe whenever build_qt.sh's options change, so an older build is never reused.
qt_recipe=2

qt_windows_dir() {
    qt=$(deb_version qt6-base-dev | sed 's/[+~:].*//')
    gcc=$(deb_version g++-mingw-w64-x86-64-posix | tr -c 'A-Za-z0-9.\n' '_')
    echo "$cache_root/qt6-mingw-$qt-gcc$gcc-r$qt_recipe"
}

# mingw's runtime DLLs (libstdc++, libgcc_s, libwinpthread), where the compiler keeps them.
mingw_runtime_dlls() {
    for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")"
    done
}

# WINEPATH for the programs of the Windows build: Qt's bin folder and the runtime's.
windows_dll_path() {
    dirs="$1/bin $(mingw_runtime_dlls | xargs -n 1 dirname | sort -u)"
    printf '%s' "$dirs" | tr ' ' '\n' | sed 's|^|Z:|; s|/|\\|g' | paste -sd ';'
}
