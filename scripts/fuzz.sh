#!/usr/bin/env bash
# Fuzzes one target for a while: scripts/fuzz.sh <target> [seconds, default 180]
# (targets: the zz_add_fuzz_target names in fuzz/CMakeLists.txt). Builds with clang and
# libFuzzer in build-fuzz/, fuzzes from the kept corpus, then merges into
# fuzz/corpus/<target>/ only the inputs that reach code the corpus did not. A crashing input
# stays in build-fuzz/ as crash-*; copy it into the corpus once it is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: scripts/fuzz.sh <target> [seconds]}
seconds=${2:-180}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZZ_FUZZ=ON >/dev/null
cmake --build build-fuzz --target "${target}_fuzz"
kept=fuzz/corpus/$target work=build-fuzz/corpus-$target
mkdir -p "$kept" "$work"
"build-fuzz/fuzz/${target}_fuzz" -max_total_time="$seconds" -artifact_prefix=build-fuzz/ \
    "$work" "$kept"
"build-fuzz/fuzz/${target}_fuzz" -merge=1 "$kept" "$work"
