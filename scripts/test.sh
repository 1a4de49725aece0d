#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test:
# the whole suite, the player tests under ThreadSanitizer, and the fuzzers for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install_deps.sh
jobs=$(nproc)

cmake --preset ci >/dev/null
cmake --build --preset ci -j"$jobs"
ctest --preset ci -j"$jobs"

if [ -f scripts/test_tsan.sh ]; then
  bash scripts/test_tsan.sh
fi
if [ -f scripts/fuzz.sh ]; then
  bash scripts/fuzz.sh
fi
