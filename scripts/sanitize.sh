#!/usr/bin/env bash
# Builds the project with AddressSanitizer and UndefinedBehaviorSanitizer in build-sanitize/
# and runs the whole suite there; any report fails the test that caused it.
# scripts/sanitize.sh [ctest arguments, e.g. -R odbcdriver]
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-$(nproc)}
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZZ_SANITIZE=ON \
    >/dev/null
cmake --build build-sanitize -j "$jobs"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Leaks are not looked for unless ASAN_OPTIONS asks (detect_leaks=1): Qt 6.4's accessibility
# cache keeps a block of each widget's guard past the program's end.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
cd build-sanitize
ctest --output-on-failure -j "$jobs" "$@"
