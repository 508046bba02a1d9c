#!/usr/bin/env bash
# Runs the launcher on a sample game folder under Wine: the offer, PLAY, the game, and a second
# start that goes straight to the game. Screenshots land in build/windows/screenshots/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh
cmake -S . -B build/windows -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/windows -j"${JOBS:-2}"
exec /usr/bin/python3 scripts/demo.py
