#!/bin/sh
# What the running program costs: starts pondel with five fish in a private Xvfb, lets it
# settle for 2 s, then reads the CPU time of pondel and of its X server over 15 s and
# pondel's resident memory.
#
# usage: bench/measure_running.sh [path/to/pondel] [display] [seconds]
set -eu

here=$(cd "$(dirname "$0")" && pwd)
pondel=${1:-$here/../build/pondel}
display=${2:-:63}
seconds=${3:-15}

[ -x "$pondel" ] || { echo "no pondel binary at $pondel (give its path as the first argument)" >&2; exit 1; }
pondel=$(cd "$(dirname "$pondel")" && pwd)/$(basename "$pondel")
for tool in Xvfb getconf; do
    command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 1; }
done
if [ -e "/tmp/.X11-unix/X${display#:}" ]; then
    echo "display $display is in use; name a free one as the second argument" >&2
    exit 1
fi

folder=$(mktemp -d)
xpid=
ppid_=
cleanup() {
    [ -n "$ppid_" ] && kill "$ppid_" 2>/dev/null && wait "$ppid_" 2>/dev/null
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null && wait "$xpid" 2>/dev/null
    rm -rf "$folder"
}
trap cleanup EXIT INT TERM

# A record with five fish of the built-in kind and no texts: every number is two bytes,
# little-endian, every empty text the two bytes 00 00.
le16() { printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $((($1 >> 8) & 255)))"; }
{
    le16 5; le16 0                                  # fishTotal, lastKind
    le16 5; le16 0; le16 0                          # kinds[0]: count, name, patternPath
    for k in 1 2 3 4; do le16 0; le16 0; le16 0; done
    for i in 0 1 2 3 4; do                          # fish: x y swimMode frameX spare spareText riseFlag
        le16 $((20 + 90 * i)); le16 0; le16 "$i"; le16 375; le16 0; le16 0; le16 0
    done
    for i in 0 1 2 3 4; do le16 0; done             # fishKindOf
    for a in 0 1 2 3; do                            # accessories
        le16 0; le16 0; for m in 1 2 3 4 5 6 7; do le16 0; done
    done
    le16 0; le16 0                                  # accessoryCount, reserved
} > "$folder/SET"
size=$(wc -c < "$folder/SET")
[ "$size" -eq 190 ] || { echo "the SET written is $size bytes, not 190" >&2; exit 1; }

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
i=0
while [ ! -e "/tmp/.X11-unix/X${display#:}" ]; do
    i=$((i + 1)); [ $i -le 100 ] || { echo "Xvfb did not come up" >&2; exit 1; }
    sleep 0.1
done

(cd "$folder" && DISPLAY=$display QT_QPA_PLATFORM=xcb exec "$pondel") >/dev/null 2>&1 &
ppid_=$!
sleep 2
kill -0 "$ppid_" 2>/dev/null || { echo "pondel did not keep running" >&2; exit 1; }

hz=$(getconf CLK_TCK)
# utime + stime of the whole process, in clock ticks.
ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
# Run time of all threads, in nanoseconds (finer than clock ticks).
runns() { cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { printf "%.0f", s }'; }

p0=$(ticks "$ppid_"); x0=$(ticks "$xpid"); pn0=$(runns "$ppid_"); xn0=$(runns "$xpid")
sleep "$seconds"
p1=$(ticks "$ppid_"); x1=$(ticks "$xpid"); pn1=$(runns "$ppid_"); xn1=$(runns "$xpid")
rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$ppid_/status")
hwm=$(awk '/^VmHWM/ { print $2 }' "/proc/$ppid_/status")

awk -v p=$((p1 - p0)) -v x=$((x1 - x0)) -v pn=$((pn1 - pn0)) -v xn=$((xn1 - xn0)) \
    -v hz="$hz" -v s="$seconds" -v rss="$rss" -v hwm="$hwm" 'BEGIN {
    printf "over %d s, five fish:\n", s
    printf "  pondel      %6.3f%% of one core (%d clock ticks; %.1f ms run time)\n", 100 * p / hz / s, p, pn / 1e6
    printf "  X server    %6.3f%% of one core (%d clock ticks; %.1f ms run time)\n", 100 * x / hz / s, x, xn / 1e6
    printf "  together    %6.3f%% of one core by clock ticks, %.3f%% by run time\n", 100 * (p + x) / hz / s, 100 * (pn + xn) / 1e9 / s
    printf "  resident    %.1f MB (peak %.1f MB)\n", rss / 1024, hwm / 1024
}'
