#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The engine through its six functions under AddressSanitizer: audio memory handed to one
# thread while others end sessions, and the texts espeak-ng must never see. Only the targets
# needed are built in the asan tree.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$(nproc)" --target test_qtts_api msc msc_speex
ctest --preset asan -R '^test_qtts_api$'
