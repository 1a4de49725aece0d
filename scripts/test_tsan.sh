#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The playback tests (label "player": player threads, sound output, block callbacks) under
# ThreadSanitizer. Only their targets are built in the tsan tree.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j"$(nproc)" --target test_audio_player test_sound_output
ctest --preset tsan -L player
