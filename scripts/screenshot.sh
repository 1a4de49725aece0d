#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A screenshot of the real program as a user sees it: started on a private X server with its
# libraries deployed into a scratch folder, captured once start-up has finished.
#   scripts/screenshot.sh [OUTPUT.png] [PATH_TO_lumeno]
# Defaults: docs/main_window.png and build/ci/bin/lumeno (built first when missing).
set -euo pipefail
cd "$(dirname "$0")/.."

output=${1:-docs/main_window.png}
program=${2:-build/ci/bin/lumeno}
for tool in Xvfb xdotool xwd xwdtopnm pnmquant pnmtopng; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install_deps.sh installs it)"; exit 1; }
done
if [ ! -x "$program" ]; then
  cmake --preset ci >/dev/null
  cmake --build --preset ci --target lumeno
fi

work=$(mktemp -d)
xvfb= app=
cleanup() {
  for pid in $app $xvfb; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=../tests/support/wait_for.sh
. tests/support/wait_for.sh

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -nolisten unix >/dev/null 2>&1 &
xvfb=$!
exec 3>&-
wait_for 100 test -s "$work/display" || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(cat "$work/display")"

mkdir -p "$work/program" "$work/system"
cp "$program" "$work/program/lumeno"
export LUMENO_LIBRARY_DIR="$work/system" LUMENO_ENGINE_TRACE="$work/trace.log" LUMENO_SOUND=null
"$work/program/lumeno" >"$work/program.log" 2>&1 &
app=$!
wait_for 200 grep -q 'QTTSInit(' "$work/trace.log" || { echo "the program did not start"; cat "$work/program.log"; exit 1; }
wait_for 100 xdotool search --onlyvisible --name 'Lumeno语音合成工具' || { echo "no window"; exit 1; }
window=$(xdotool search --onlyvisible --name 'Lumeno语音合成工具' | head -1)
sleep 0.5

mkdir -p "$(dirname "$output")"
# A window of few colours packs small as a palette PNG.
xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmquant 64 2>/dev/null | pnmtopng -compression 9 >"$output"
echo "$output: $(stat -c %s "$output") bytes"
