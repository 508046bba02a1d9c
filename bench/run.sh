#!/usr/bin/env bash
# The launcher's benchmark under Wine, in one command: builds the launcher, the floor programs and the
# probe in a Release build folder of its own (build/bench; BENCH_BUILD_DIR changes it), so that a build
# in progress elsewhere in the tree never changes what is measured, then runs bench/bench.py, which
# prints every figure next to its floor and its goal. Arguments go to bench.py (--help lists them).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="${BENCH_BUILD_DIR:-build/bench}"

bash scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build "$build" -j"${JOBS:-2}" --target launcher recorder wintool bench_probe \
    floor_shell floor_window floor_window_v6 floor_window_shown_v6 floor_offer floor_offer_v6 floor_wait
exec /usr/bin/python3 bench/bench.py --build "$build" "$@"
