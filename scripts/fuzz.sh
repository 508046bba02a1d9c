#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a bounded time (FUZZ_SECONDS, default 60)
# from the committed starting corpus. Any finding fails the run and leaves its input in build/fuzz/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
seconds="${FUZZ_SECONDS:-60}"

CC=clang CXX=clang++ cmake -S . -B build/fuzz -DLAUNCHER_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz -j"${JOBS:-2}"

for target in settings probe; do
    work="build/fuzz/corpus-$target"
    rm -rf "$work" && mkdir -p "$work"
    cp tests/fuzz/corpus/"$target"/* "$work"/
    echo "== fuzzing $target for ${seconds}s"
    (cd build/fuzz && "tests/fuzz/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
        "corpus-$target" 2>&1 | grep -E '^(Done|stat::number_of_executed_units|==[0-9]+== ERROR|SUMMARY)' )
    # grep hides libFuzzer's chatter; its exit status is the fuzzer's, through pipefail
done
