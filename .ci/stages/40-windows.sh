#!/bin/sh
# The Windows program: cross-built with its installer by ./pondel.sh windows, then under
# wine in Xvfb its record, engine and fuzz-replay tests (and the fuzz stage's corpora),
# and end-to-end runs of the program the installer put into the prefix (the Linux e2e
# harness drives it). Its uninstaller must close a running tank the normal way, remove all
# it installed and leave the user's tank folder alone.
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

say "record, engine and fuzz-replay tests under wine"
ctest --test-dir "$build" -L 'app|engine|fuzz' --output-on-failure --timeout 120

# The corpora the fuzz stage grew, read by the Windows readers: nothing may crash.
fuzz_build=${PONDEL_FUZZ_BUILD:-$root/build-fuzz}
if [ -d "$fuzz_build/corpus" ]; then
    . "$root/tools/windows/common.sh"
    qt=$(qt_windows_dir)
    for target in settings_file hostile_record picture; do
        corpus="$fuzz_build/corpus/fuzz_$target"
        [ -d "$corpus" ] || continue
        say "fuzz corpus of $target: $(find "$corpus" -type f | wc -l) inputs"
        sh "$root/tools/windows/wine-run.sh" "$qt" "$WINEPREFIX" "$build/tests/pondel-replay-$target.exe" "$corpus"
    done
else
    say "no fuzz corpora in $fuzz_build: only the seeds were read"
fi

say "installing $(basename "$setup") silently"
wine "$setup" /S || { status=$?; say "the installer ended with status $status"; exit 1; }
local_appdata=$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
program_win="$local_appdata\\Programs\\Pondel"
program_dir=$(winepath -u "$program_win")
for f in pondel.exe pondel-sheet.exe Qt6Widgets.dll platforms/qwindows.dll imageformats/qgif.dll \
    imageformats/qjpeg.dll samples/kuro.pat uninstall.exe; do
    [ -e "$program_dir/$f" ] || { say "the installer left out $f"; exit 1; }
done
wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pondel' | tr -d '\r' >"$build/uninstall-entry.txt"
for v in DisplayName DisplayVersion Publisher DisplayIcon EstimatedSize UninstallString; do
    grep -q "^ *$v " "$build/uninstall-entry.txt" || { say "the Add/Remove entry has no $v"; exit 1; }
done
wine "$program_dir/pondel-sheet.exe" check "$program_win\\samples\\kuro.pat"

say "end-to-end runs of the installed program"
wineserver -k 2>/dev/null || true  # the e2e run brings its own X server
cmake --build "$linux_build" --target pondel_tests_e2e
PONDEL_WINDOWS_PROGRAM="$program_win\\pondel.exe" PONDEL_WINDOWS_PROBE="$build/tests/pondel-window-probe.exe" \
    "$linux_build/tests/pondel_tests_e2e" --gtest_filter='WindowsProgram.*' 2>&1 |
    tee "$build/e2e-ci.log"
grep -q '\[  PASSED  \] 2 tests' "$build/e2e-ci.log" || { say "the end-to-end runs did not pass"; exit 1; }

# Installing again and uninstalling while the tank runs, as the Start menu starts it:
# each time the tank is closed the normal way (SET written) before any file is touched;
# the uninstaller then removes everything the installer put there, and SET stays.
wineserver -k 2>/dev/null || true
appdata=$(wine cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')
tank_dir=$(winepath -u "$appdata\\Pondel")
start_tank() {
    rm -f "$tank_dir/SET"
    (cd "$tank_dir" && exec wine "$program_dir/pondel.exe" >/dev/null 2>&1) &
    tank=$!
    for _ in $(seq 120); do [ -e "$tank_dir/SET.lock" ] && [ -e "$tank_dir/SET" ] && break; sleep 0.5; done
    [ -e "$tank_dir/SET.lock" ] || { say "the tank did not start"; exit 1; }
    sleep 2
}
closed_normally() {
    wait "$tank" || true
    [ "$(stat -c %s "$tank_dir/SET")" -ge 190 ] || { say "$1: the tank was not closed the normal way (no record in SET)"; exit 1; }
    [ ! -e "$tank_dir/SET.lock" ] || { say "$1: the tank left its lock"; exit 1; }
}

say "installing again over a running tank"
start_tank
wine "$setup" /S
closed_normally "installing"
[ -e "$program_dir/pondel.exe" ] || { say "installing over the tank left no pondel.exe"; exit 1; }

say "uninstalling with the tank running"
start_tank
wine "$program_dir/uninstall.exe" /S
# The uninstaller goes on from a copy of itself: wait for it to finish.
for _ in $(seq 120); do [ ! -e "$program_dir/uninstall.exe" ] && break; sleep 0.5; done
closed_normally "uninstalling"
left=$(find "$program_dir" 2>/dev/null | head -n 5)
[ -z "$left" ] || { say "the uninstaller left: $left"; exit 1; }

say "passed in $(( $(date +%s) - started )) s"
