#!/usr/bin/env bash
# Builds everything: the native logic and unit tests (build/native), the Windows launcher and the
# programs its end-to-end tests use (build/windows), and a 32-bit Windows compile (build/windows-i686).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="${JOBS:-2}"

# The native build is the sanitized one: every unit test runs under ASan and UBSan.
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug -DLAUNCHER_SANITIZE=ON >/dev/null
cmake --build build/native -j"$jobs"

cmake -S . -B build/windows -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/windows -j"$jobs"

if [ "${1:-}" != "--no-i686" ]; then
    cmake -S . -B build/windows-i686 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake >/dev/null
    cmake --build build/windows-i686 -j"$jobs" --target launcher
fi
