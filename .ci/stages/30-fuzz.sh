#!/bin/sh
# Fuzzes the readers of the files a user controls (SET, pattern and accessory pictures)
# for a minute each, with libFuzzer under AddressSanitizer and UBSan. A crash, a broken
# check, a hang or runaway memory fails the stage; the input is kept under artifacts/.
set -eu
cd "$(dirname "$0")/../.."
root=$(pwd)
build=${PONDEL_FUZZ_BUILD:-$root/build-fuzz}
seconds=${PONDEL_FUZZ_SECONDS:-60}
started=$(date +%s)

missing=""
for p in clang libclang-rt-14-dev; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
fi

# Only the record and engine libraries and the fuzz targets are built. The pixel loops
# are left out of coverage tracing (see tests/fuzz/coverage_ignore.txt).
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPONDEL_BUILD_TESTS=OFF -DPONDEL_BUILD_BENCH=OFF -DPONDEL_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined -D_GLIBCXX_ASSERTIONS -fsanitize-coverage-ignorelist=$root/tests/fuzz/coverage_ignore.txt"
cmake --build "$build" -j2 --target fuzz_settings_file fuzz_hostile_record fuzz_picture pondel-fuzz-seeds
built=$(date +%s)

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The targets write their files in memory where the machine allows; whatever a run that
# ends abruptly leaves there goes with this folder.
shm=/dev/shm
[ -d "$shm" ] && [ -w "$shm" ] || shm=${TMPDIR:-/tmp}
PONDEL_FUZZ_SCRATCH=$(mktemp -d "$shm/pondel-fuzz.XXXXXX")
export PONDEL_FUZZ_SCRATCH
trap 'rm -rf "$PONDEL_FUZZ_SCRATCH"' EXIT
rm -rf "$build/seeds" "$build/corpus" "$build/artifacts"
mkdir -p "$build/artifacts"
"$build/tests/fuzz/pondel-fuzz-seeds" "$build/seeds"

summary=""
status=0
run() {
    target=$1
    seeds=$2
    mkdir -p "$build/corpus/$target"
    log="$build/artifacts/$target.log"
    echo "== $target for $seconds s"
    if "$build/tests/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=30 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
        "$build/corpus/$target" "$build/seeds/$seeds" >"$log" 2>&1; then
        result=ok
    else
        result=FOUND
        status=1
        tail -n 80 "$log"
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    summary="$summary
$target: $result, ${runs:-?} runs, ${rate:-?} exec/s"
}
run fuzz_settings_file settings
run fuzz_hostile_record settings
run fuzz_picture picture

echo "fuzzing:$summary"
echo "fuzzing: build $((built - started)) s, runs $(($(date +%s) - built)) s"
exit $status
