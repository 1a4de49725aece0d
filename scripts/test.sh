#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, checks the module layering, builds everything with warnings as
# errors and runs every test: the playback tests under ThreadSanitizer, the engine's six
# functions under AddressSanitizer, the engine's fuzzers for a bounded time, the Debian package
# installed, used by a normal user and removed, then the whole suite (its summary closes the
# output).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install_deps.sh
jobs=$(nproc)
# Where ccache is at hand the five builds below share its cache (it is not needed).
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(pwd)} CCACHE_NOHASHDIR=1
fi

# The layering first: it needs no build, and docs/layers.txt says what it allows.
python3 scripts/check_layers.py
bash scripts/check_spdx.sh

cmake --preset ci >/dev/null
cmake --build --preset ci -j"$jobs"

bash scripts/test_tsan.sh
bash scripts/test_asan.sh
FUZZ_SECONDS=${FUZZ_SECONDS:-45} bash scripts/fuzz.sh
bash scripts/test_package.sh

ctest --preset ci -j"$jobs"
