#!/usr/bin/env bash
# Builds the Windows programs and runs the soak (scripts/soak.py; arguments are passed on, e.g. -n 50).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
cmake --build build/windows -j"${JOBS:-2}" >/dev/null
exec /usr/bin/python3 scripts/soak.py "$@"
