#!/usr/bin/env bash
# Runs every test: installs what is missing, builds, runs the native unit tests (under ASan and
# UBSan) and the fuzzers for a bounded time, then the
# end-to-end tests of the real launcher.exe under Wine (on a private Xvfb display and WINEPREFIX
# that the tests start and stop themselves).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh
bash scripts/build.sh

echo "== native unit tests"
(cd build/native && ctest --output-on-failure -j2)

echo "== fuzzing, bounded"
bash scripts/fuzz.sh

echo "== end-to-end tests under Wine"
/usr/bin/python3 -m pytest tests/wine -q -p no:cacheprovider
