#!/bin/sh
# What the running program costs, display server included. Each run starts one program
# alone with a display server of its own, lets it settle for 2 s, then reads the run time
# and the time slices of all threads of both processes from /proc/PID/task/*/schedstat.
# Runs of pondel and of the classic X aquarium (xfishtank -f 5, when /usr/games/xfishtank
# is installed) take turns over several rounds, never side by side: two programs running
# together keep each other's library code warm and flatter both.
#
# Pondel also runs out of sight: iconified under openbox (xdotool windowminimize) and under
# the X screen saver (xset s activate), where it should sleep; their wakeups a second and
# cost are printed beside the tank's on the screen.
#
# usage: bench/measure_running.sh [-r ROUNDS] [-s SECONDS] [-a] [-w] [-m] [path/to/pondel]
#   -r  rounds (default 5)            -s  seconds measured per run (default 12)
#   -a  four accessories (the build's samples) beside the five fish
#   -w  also pondel under Weston's headless backend: on Qt's wayland platform, and on X11
#       through Weston's Xwayland (package xwayland); the compositor counts as the server
#   -m  pondel's resident memory by kind of mapping, from the first round
set -eu

here=$(cd "$(dirname "$0")" && pwd)
rounds=5
seconds=12
accessories=0
wayland=0
mappings=0
while getopts r:s:awm opt; do
    case $opt in
    r) rounds=$OPTARG ;;
    s) seconds=$OPTARG ;;
    a) accessories=1 ;;
    w) wayland=1 ;;
    m) mappings=1 ;;
    *) sed -n '13,18s/^# \{0,1\}//p' "$0" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
pondel=${1:-$here/../build/pondel}

[ -x "$pondel" ] || { echo "no pondel binary at $pondel (give its path as the last argument)" >&2; exit 1; }
pondel=$(cd "$(dirname "$pondel")" && pwd)/$(basename "$pondel")
for tool in Xvfb awk; do
    command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 1; }
done
peer=/usr/games/xfishtank
[ -x "$peer" ] || { peer=; echo "xfishtank is not installed (Debian package xfishtank): pondel alone" >&2; }
unseen="iconified saver"
for tool in openbox xdotool xset; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed (Debian packages openbox, xdotool, x11-xserver-utils): no runs out of sight" >&2; unseen=; }
done
if [ "$wayland" -eq 1 ] && ! command -v weston >/dev/null; then
    echo "weston is not installed (Debian packages weston, qt6-wayland): no Wayland runs" >&2
    wayland=0
fi
xwayland=0
if [ "$wayland" -eq 1 ]; then
    if command -v Xwayland >/dev/null; then xwayland=1
    else echo "Xwayland is not installed (Debian package xwayland): no runs through it" >&2; fi
fi
samples=$(dirname "$pondel")/samples
if [ "$accessories" -eq 1 ] && [ ! -f "$samples/iwa.acc" ]; then
    echo "no sample accessories in $samples (build the pondel_samples target)" >&2
    exit 1
fi

folder=$(mktemp -d)
server=
client=
wm=
stop() {
    # $1: pid; TERM first, KILL if it lingers.
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null || return 0
    i=0
    while kill -0 "$1" 2>/dev/null && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
    kill -9 "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
cleanup() {
    stop "$client"
    stop "$wm"
    stop "$server"
    rm -rf "$folder"
}
trap cleanup EXIT INT TERM

# A record with five fish of the built-in kind, and with -a four sample accessories: every
# number is two bytes, little-endian; a text is its length in two bytes, then its bytes.
le16() { printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $((($1 >> 8) & 255)))"; }
text() { le16 ${#1}; printf %s "$1"; }
# name, x, y, maskY, frame width, frame height, position
accessory() { text "$1"; text "$samples/$1.acc"; le16 "$2"; le16 "$3"; le16 0; le16 "$4"; le16 "$5"; le16 "$6"; le16 "$7"; }
{
    le16 5; le16 0                                  # fishTotal, lastKind
    le16 5; le16 0; le16 0                          # kinds[0]: count, name, patternPath
    for k in 1 2 3 4; do le16 0; le16 0; le16 0; done
    for i in 0 1 2 3 4; do                          # fish: x y swimMode frameX spare spareText riseFlag
        le16 $((20 + 90 * i)); le16 0; le16 "$i"; le16 375; le16 0; le16 0; le16 0
    done
    for i in 0 1 2 3 4; do le16 0; done             # fishKindOf
    if [ "$accessories" -eq 1 ]; then
        accessory mizukusa 20 90 200 100 200 0      # upright 100 x 200 frames
        accessory iwa 100 210 100 200 100 1         # lying 200 x 100 frames
        accessory takarabako 200 210 100 200 100 2
        accessory shiro 400 90 200 100 200 3
        le16 4; le16 0                              # accessoryCount, reserved
    else
        for a in 0 1 2 3; do le16 0; le16 0; for m in 1 2 3 4 5 6 7; do le16 0; done; done
        le16 0; le16 0
    fi
} > "$folder/record"
if [ "$accessories" -eq 0 ]; then
    size=$(wc -c < "$folder/record")
    [ "$size" -eq 190 ] || { echo "the SET written is $size bytes, not 190" >&2; exit 1; }
fi

# Run time (ns) and time slices of all threads of the processes given.
sched() {
    for p in "$@"; do cat /proc/"$p"/task/*/schedstat 2>/dev/null; done | awk '{ t += $1; n += $3 } END { printf "%.0f %d", t, n }'
}

start_x() {
    rm -f "$folder/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$folder/display" >/dev/null 2>&1 &
    server=$!
    i=0
    while [ ! -s "$folder/display" ]; do
        i=$((i + 1)); [ $i -le 100 ] || { echo "Xvfb did not come up" >&2; exit 1; }
        sleep 0.1
    done
    display=:$(cat "$folder/display")
}

# $1: more options for weston (--xwayland).
start_weston() {
    export XDG_RUNTIME_DIR="$folder/runtime"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    socket=pondel-bench-$$
    weston --backend=headless-backend.so --use-pixman --idle-time=0 \
        --socket="$socket" ${1:-} >"$folder/weston.log" 2>&1 &
    server=$!
    i=0
    while [ ! -S "$XDG_RUNTIME_DIR/$socket" ]; do
        i=$((i + 1)); [ $i -le 100 ] || { echo "weston did not come up" >&2; cat "$folder/weston.log" >&2; exit 1; }
        sleep 0.1
    done
}

# Weston names the display of its Xwayland in its log; Xwayland itself starts with the
# first X client.
xwayland_display() {
    i=0
    while ! display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$folder/weston.log" | grep .); do
        i=$((i + 1)); [ $i -le 100 ] || { echo "weston's Xwayland did not come up" >&2; cat "$folder/weston.log" >&2; exit 1; }
        sleep 0.1
    done
}

# One run: $1 names what runs (pondel, xfishtank, wayland, xwayland). Appends to the results
# "name program% server% programSlices/100ms serverSlices/100ms residentKiB privateKiB saved".
run() {
    what=$1
    rm -rf "$folder/tank" && mkdir "$folder/tank" && cp "$folder/record" "$folder/tank/SET"
    case $what in
    pondel)
        start_x
        (cd "$folder/tank" && DISPLAY=$display QT_QPA_PLATFORM=xcb exec "$pondel") >/dev/null 2>&1 &
        ;;
    xfishtank)
        start_x
        DISPLAY=$display "$peer" -f 5 >/dev/null 2>&1 &
        ;;
    wayland)
        start_weston
        (cd "$folder/tank" && WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland exec "$pondel") >/dev/null 2>&1 &
        ;;
    iconified)
        start_x
        DISPLAY=$display openbox --sm-disable >/dev/null 2>&1 &
        wm=$!
        sleep 1
        (cd "$folder/tank" && DISPLAY=$display QT_QPA_PLATFORM=xcb exec "$pondel") >/dev/null 2>&1 &
        ;;
    saver)
        start_x
        (cd "$folder/tank" && DISPLAY=$display QT_QPA_PLATFORM=xcb exec "$pondel") >/dev/null 2>&1 &
        ;;
    xwayland)
        start_weston --xwayland
        xwayland_display
        (cd "$folder/tank" && unset WAYLAND_DISPLAY && DISPLAY=$display QT_QPA_PLATFORM=xcb exec "$pondel") >/dev/null 2>&1 &
        ;;
    esac
    client=$!
    sleep 2
    kill -0 "$client" 2>/dev/null || { echo "$what did not keep running" >&2; exit 1; }
    case $what in
    iconified)
        DISPLAY=$display xdotool search --sync --onlyvisible --name '^ぽんでる$' windowminimize >/dev/null 2>&1
        sleep 1
        ;;
    saver)
        DISPLAY=$display xset s activate
        sleep 1
        ;;
    esac
    # Through Xwayland the server is the compositor and its X server together.
    xserver=
    [ "$what" = xwayland ] && xserver=$(pgrep -P "$server" -x Xwayland || true)
    c0=$(sched "$client"); s0=$(sched "$server" $xserver)
    sleep "$seconds"
    c1=$(sched "$client"); s1=$(sched "$server" $xserver)
    rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$client/status")
    private=$(awk '/^Private_(Clean|Dirty):/ { k += $2 } END { print k + 0 }' "/proc/$client/smaps_rollup")
    if [ "$mappings" -eq 1 ] && [ "$what" != xfishtank ] && [ ! -e "$folder/$what.mappings" ]; then
        mappings_of "$client" > "$folder/$what.mappings"
    fi
    stop "$client"; client=
    stop "$wm"; wm=
    saved=-
    if [ "$what" != xfishtank ]; then
        # The end of the run is a SIGTERM: the record must have been stored with the fish moved.
        cmp -s "$folder/record" "$folder/tank/SET" && saved=no || saved=yes
    fi
    stop "$server"; server=
    echo "$what $c0 $c1 $s0 $s1" | awk -v s="$seconds" -v rss="$rss" -v private="$private" -v saved="$saved" '{
        printf "%s %.4f %.4f %.2f %.2f %d %d %s\n", $1, 100 * ($4 - $2) / 1e9 / s, 100 * ($8 - $6) / 1e9 / s,
            ($5 - $3) / (10 * s), ($9 - $7) / (10 * s), rss, private, saved }' > "$folder/last"
    cat "$folder/last" >> "$folder/results"
}

# Resident KiB by kind of mapping.
mappings_of() {
    awk '/^(Rss|Pss|Shared_Clean|Shared_Dirty|Private_Clean|Private_Dirty|Anonymous|RssShmem):/ { printf "  %s %s KiB", $1, $2 } END { print "" }' \
        "/proc/$1/smaps_rollup"
    awk '/^[0-9a-f]+-[0-9a-f]+ / {
            n = (NF >= 6) ? $6 : "[anonymous]"
            if (n ~ /libQt6/) g = "Qt libraries"; else if (n ~ /libicu/) g = "ICU"
            else if (n ~ /\.(ttf|otf|ttc)$/) g = "fonts"; else if (n ~ /SYSV|memfd/) g = "shared memory images (" n ")"
            else if (n ~ /\.so/) g = "other shared libraries"; else if (n ~ /fontconfig|locale|gconv/) g = "caches and locale"
            else g = n
            next }
        /^Rss:/ { rss[g] += $2 }
        END { for (g in rss) if (rss[g] > 0) printf "  %8d KiB  %s\n", rss[g], g }' "/proc/$1/smaps" | sort -rn
}

busy() { pgrep -f 'cc1plus|ninja|ctest|pondel_tests' | wc -l; }

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg); five fish$([ "$accessories" -eq 1 ] && echo ", four accessories"); $rounds rounds of $seconds s"
: > "$folder/results"
r=1
while [ $r -le "$rounds" ]; do
    line="round $r (other builds or tests running: $(busy)):"
    for what in pondel $unseen ${peer:+xfishtank} $([ "$wayland" -eq 1 ] && echo wayland) $([ "$xwayland" -eq 1 ] && echo xwayland); do
        run "$what"
        line="$line $(awk '{ printf "%s %.3f%%", $1, $2 + $3 }' "$folder/last")"
    done
    echo "$line"
    r=$((r + 1))
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

# min / median per program: total, program, server, time slices per 100 ms (a tick: about
# the wakeups of its threads), resident and private memory.
summary() {
    grep "^$1 " "$folder/results" | awk -v n="$1" -v totals="$folder/$1.totals" -v alone="$folder/$1.alone" '
    function sorted_stats(a, k,    i, j, t) {
        for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
        med = (k % 2) ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2
        return a[1] " " med
    }
    { k++; tot[k] = $2 + $3; prog[k] = $2; srv[k] = $3; ps[k] = $4; ss[k] = $5; mem[k] = $6 / 1024; priv[k] = $7 / 1024
      if ($8 != "-") saved = saved $8 " " }
    END {
        split(sorted_stats(tot, k), T); split(sorted_stats(prog, k), P); split(sorted_stats(srv, k), S)
        split(sorted_stats(ps, k), PS); split(sorted_stats(ss, k), SS); split(sorted_stats(mem, k), M)
        split(sorted_stats(priv, k), V)
        printf "%-10s together %.3f / %.3f %%   program %.3f / %.3f   server %.3f / %.3f   slices per 100 ms %.2f / %.2f program, %.2f / %.2f server   resident %.1f / %.1f MB, private %.1f / %.1f MB", n, T[1], T[2], P[1], P[2], S[1], S[2], PS[1], PS[2], SS[1], SS[2], M[1], M[2], V[1], V[2]
        if (saved != "") printf "   SET saved on SIGTERM: %s", saved
        printf "\n"
        print T[1], T[2] > totals
        print P[1], P[2] > alone
    }'
}
echo "min / median of $rounds runs, % of one core (the server: Xvfb, or Weston with its Xwayland):"
summary pondel
for what in $unseen; do summary "$what"; done
[ -n "$peer" ] && summary xfishtank
[ "$wayland" -eq 1 ] && summary wayland
[ "$xwayland" -eq 1 ] && summary xwayland
for what in pondel wayland xwayland; do
    [ -f "$folder/$what.mappings" ] && { echo "resident memory of $what, first round:"; cat "$folder/$what.mappings"; }
done
if [ -n "$peer" ]; then
    paste "$folder/pondel.totals" "$folder/xfishtank.totals" | awk '{
        printf "pondel / xfishtank -f 5: %.2fx by minima, %.2fx by medians\n", $1 / $3, $2 / $4 }'
fi
# Out of sight: wakeups a second of the program's threads and of the server, and the cost
# of both against the tank on the screen.
for what in $unseen; do
    grep "^$what " "$folder/results" | awk -v n="$what" -v on="$(awk '{ print $2 }' "$folder/pondel.totals")" '
        { k++; t[k] = $2 + $3; p[k] = $4 * 10; s[k] = $5 * 10 }
        END {
            for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++) {
                if (t[j] < t[i]) { x = t[i]; t[i] = t[j]; t[j] = x }
                if (p[j] < p[i]) { x = p[i]; p[i] = p[j]; p[j] = x }
                if (s[j] < s[i]) { x = s[i]; s[i] = s[j]; s[j] = x }
            }
            m = int((k + 1) / 2)
            printf "%s: wakeups a second (median) %.2f program, %.2f server; program and server %.4f %% of a core, ", n, p[m], s[m], t[m]
            if (t[m] > 0) printf "1/%.0f of their cost on the screen\n", on / t[m]
            else printf "nothing measurable against %.3f %% on the screen\n", on }'
done
for what in wayland xwayland; do
    [ -f "$folder/$what.alone" ] && paste "$folder/$what.alone" "$folder/pondel.alone" | awk -v n="$what" '{
        printf "the program alone, %s / X11: %.2fx by minima, %.2fx by medians\n", n, $1 / $3, $2 / $4 }'
done
exit 0
