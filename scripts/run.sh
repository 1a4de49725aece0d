#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install_deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target lumeno -j"$(nproc)"
exec build/release/bin/lumeno "$@"
