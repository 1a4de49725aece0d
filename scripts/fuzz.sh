#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets of the speech engine and of the skin reader with clang in a build
# folder of their own and runs each for a bounded time: FUZZ_SECONDS per target (default 60).
# Seeds come from engines/fuzz/corpus and skins/fuzz/corpus; what a run learns stays in the
# build folder. A crash fails the script and leaves its input in build/fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
build=${FUZZ_BUILD_DIR:-build/fuzz}
engine_targets=(fuzz_engine_config fuzz_session_params fuzz_number_normaliser fuzz_speech_text)
skin_targets=(fuzz_she_format)
targets=("${engine_targets[@]}" "${skin_targets[@]}")

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DLUMENO_BUILD_FUZZ=ON -DLUMENO_BUILD_TESTS=OFF -DLUMENO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}" -j"$(nproc)"

mkdir -p "$build/artifacts"
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  folder=engines
  [[ " ${skin_targets[*]} " == *" $target "* ]] && folder=skins
  cp -n "$folder/fuzz/corpus/$target"/* "$corpus"/
  echo "== $target: ${seconds}s"
  "$build/$folder/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 "$corpus" 2>&1 | tail -n 12
done
