#!/bin/sh
# The whole test suite once more, built with AddressSanitizer and UndefinedBehaviorSanitizer
# (plus the standard library's own bounds checks). Any report fails the stage.
set -eu
cd "$(dirname "$0")/../.."
root=$(pwd)
build=${PONDEL_ASAN_BUILD:-$root/build-asan}
started=$(date +%s)

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPONDEL_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined -D_GLIBCXX_ASSERTIONS"
cmake --build "$build" -j2
built=$(date +%s)

# The end-to-end tests run the sanitized program itself, so its reports fail them too.
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/.ci/stages/lsan.supp:print_suppressions=0"
ctest --test-dir "$build" --output-on-failure -j2 -LE e2e
# One at a time: the sanitized program is several times slower, and each end-to-end
# test waits on its window and screen in real time. Leaks are traced through libraries
# built without frame pointers, so that the suppressions can name them.
ASAN_OPTIONS="$ASAN_OPTIONS:fast_unwind_on_malloc=0" ctest --test-dir "$build" --output-on-failure -L e2e
echo "sanitizers: build $((built - started)) s, tests $(($(date +%s) - built)) s"
