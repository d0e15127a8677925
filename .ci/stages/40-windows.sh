#!/bin/sh
# The Windows program: cross-built with its installer by ./pondel.sh windows, then under
# wine in Xvfb its record and engine tests, and one end-to-end run of the program the
# installer put into the prefix (the Linux e2e harness drives it). Its uninstaller must
# leave the user's tank folder alone.
set -eu
cd "$(dirname "$0")/../.."
root=$(pwd)
linux_build=${PONDEL_LINUX_BUILD:-$root/build}
started=$(date +%s)
say() { echo "windows stage: $*"; }

./pondel.sh windows
build="$root/build-windows"
setup=$(ls "$build"/pondel-*-setup.exe)

# The prefix the build made (the tests' emulator names it too); the installer goes into it.
# No Mono, no Gecko, and no menu entries or desktop files written into the home folder
# for the installer's shortcuts.
export WINEPREFIX="$build/wine"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

xvfb_log="$build/xvfb-ci.log"
exec 8>"$build/xvfb-ci.display"
Xvfb -displayfd 8 -noreset -screen 0 1280x1024x24 -nolisten tcp >"$xvfb_log" 2>&1 &
xvfb=$!
cleanup() {
    wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$build/xvfb-ci.display" ] && break; sleep 0.1; done
[ -s "$build/xvfb-ci.display" ] || { say "Xvfb did not start"; cat "$xvfb_log"; exit 1; }
export DISPLAY=":$(head -n 1 "$build/xvfb-ci.display")"

# One wineserver for the whole stage: without it every test waits seconds for wine to
# shut down. Its output must not hold ctest's pipe open.
wineserver -k >/dev/null 2>&1 || true
persistent=""
for _ in $(seq 40); do
    # Refused while the server that was told to end is still going.
    wineserver -p >/dev/null 2>&1 </dev/null && persistent=yes && break
    sleep 0.5
done
[ -n "$persistent" ] || say "no persistent wineserver: each test will wait for wine to end"
wine cmd /c exit >/dev/null 2>&1

say "record and engine tests under wine"
ctest --test-dir "$build" -L 'app|engine' --output-on-failure --timeout 120

say "installing $(basename "$setup") silently"
wine "$setup" /S
program_dir="$WINEPREFIX/drive_c/Program Files/Pondel"
for f in pondel.exe pondel-sheet.exe Qt6Widgets.dll platforms/qwindows.dll samples/kuro.pat uninstall.exe; do
    [ -e "$program_dir/$f" ] || { say "the installer left out $f"; exit 1; }
done
wine "$program_dir/pondel-sheet.exe" check 'C:\Program Files\Pondel\samples\kuro.pat'

say "end-to-end run of the installed program"
wineserver -k 2>/dev/null || true  # the e2e run brings its own X server
cmake --build "$linux_build" --target pondel_tests_e2e
PONDEL_WINDOWS_PROGRAM='C:\Program Files\Pondel\pondel.exe' \
    "$linux_build/tests/pondel_tests_e2e" --gtest_filter='WindowsProgram.*' 2>&1 |
    tee "$build/e2e-ci.log"
grep -q '\[  PASSED  \] 1 test' "$build/e2e-ci.log" || { say "the end-to-end run did not pass"; exit 1; }

say "uninstalling"
appdata=$(wine cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')
user_set="$(winepath -u "$appdata\\Pondel")/SET"
printf 'keep me' >"$user_set"
wine "$program_dir/uninstall.exe" /S
timeout 60 wineserver -w || true
[ ! -e "$program_dir/pondel.exe" ] || { say "the uninstaller left pondel.exe"; exit 1; }
[ "$(cat "$user_set")" = "keep me" ] || { say "the uninstaller touched the user's SET"; exit 1; }

say "passed in $(( $(date +%s) - started )) s"
