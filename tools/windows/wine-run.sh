#!/bin/sh
# wine-run.sh QT PREFIX PROGRAM [ARG...]: runs a program of the Windows build under wine,
# in the wine prefix PREFIX, finding the DLLs of the Windows Qt in QT and mingw's runtime
# through WINEPATH. The cross build's CMAKE_CROSSCOMPILING_EMULATOR, so the tools it runs
# and ctest need nothing set around them.
set -eu
qt=$1
prefix=$2
shift 2
. "$(dirname "$0")/common.sh"
export WINEPATH="$(windows_dll_path "$qt")" WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
exec wine "$@"
