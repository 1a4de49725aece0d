#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The whole program as a person uses it: a real window on a private X server, the real engine,
# sound into a private PulseAudio null sink. Presses "开始合成", waits for the speech to be
# heard, then saves it with "保存语音" and checks the saved WAV is what was played.
#   e2e_window.sh PATH_TO_lumeno PATH_TO_lumeno-say
set -euo pipefail

program=${1:?usage: e2e_window.sh PATH_TO_lumeno PATH_TO_lumeno-say}
say=${2:?usage: e2e_window.sh PATH_TO_lumeno PATH_TO_lumeno-say}
here=$(cd "$(dirname "$0")" && pwd)
for tool in Xvfb xdotool pulseaudio pactl parec python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install_deps.sh installs it)"; exit 1; }
done
# shellcheck source=../support/pulse_daemon.sh
. "$here/../support/pulse_daemon.sh"

work=$(mktemp -d)
xvfb= app= recorder=
cleanup() {
  for pid in $recorder $app $xvfb; do kill "$pid" 2>/dev/null || true; done
  stop_private_pulse "$work"
  [ -n "${KEEP_WORK:-}" ] && echo "kept $work" || rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=../support/wait_for.sh
. "$here/../support/wait_for.sh"

# A private X server on a display number it picks itself.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -nolisten unix >/dev/null 2>&1 &
xvfb=$!
exec 3>&-
wait_for 100 test -s "$work/display" || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(cat "$work/display")"
# -nolisten unix leaves only the abstract socket on Linux, which is enough for local clients.

sink=lumeno_e2e
rate=16000
start_private_pulse "$work" "$sink" "$rate"

# The program in a folder of its own, so its engine libraries are deployed there.
mkdir -p "$work/program" "$work/system"
cp "$program" "$work/program/lumeno"
export LUMENO_LIBRARY_DIR="$work/system" LUMENO_ENGINE_TRACE="$work/trace.log" LUMENO_SOUND=alsa
"$work/program/lumeno" >"$work/program.log" 2>&1 &
app=$!
wait_for 200 grep -q 'QTTSInit(.*) = 0' "$work/trace.log" || { echo "engine did not start"; cat "$work/program.log"; exit 1; }
wait_for 100 xdotool search --name 'Lumeno语音合成工具V1.0' || { echo "no window"; exit 1; }
window=$(xdotool search --name 'Lumeno语音合成工具V1.0' | head -1)

parec -d "$sink.monitor" --raw --format=s16le --rate=$rate --channels=1 --latency-msec=20 >"$work/heard.raw" &
recorder=$!
sleep 0.5

echo "== press 开始合成"
xdotool mousemove --window "$window" 523 395 click 1
wait_for 600 grep -q 'synthStatus=2' "$work/trace.log" || { echo "the engine never finished"; exit 1; }
# Let the sound play out, then stop recording.
sleep 5
kill "$recorder"
wait "$recorder" 2>/dev/null || true
recorder=

echo "== press 保存语音"
xdotool mousemove --window "$window" 615 407 click 1
wait_for 100 xdotool search --onlyvisible --name '^(Save|保存)' || { echo "no save dialog"; exit 1; }
dialog=$(xdotool search --onlyvisible --name '^(Save|保存)' | head -1)
xdotool mousemove --window "$dialog" 20 20
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 5 "$work/saved.wav"
xdotool key Return
wait_for 100 test -s "$work/saved.wav" || { echo "nothing was saved"; exit 1; }
# The success message box: dismissed with Enter.
wait_for 50 xdotool search --onlyvisible --name '信息：' && xdotool key Return || true

"$say" -o "$work/reference.wav" "请在这里输入要合成的文本"

python3 - "$work" "$rate" <<'PY'
import array, math, sys
folder, rate = sys.argv[1], int(sys.argv[2])
failures = []

saved = open(f"{folder}/saved.wav", "rb").read()
reference = open(f"{folder}/reference.wav", "rb").read()
if saved[:4] != b"RIFF" or int.from_bytes(saved[40:44], "little") + 44 != len(saved):
    failures.append("saved file is not the 44-byte-header WAV")
if saved != reference:
    failures.append(f"saved WAV ({len(saved)} bytes) differs from the same text spoken by lumeno-say ({len(reference)} bytes)")
speech_seconds = (len(saved) - 44) / (2 * rate)

samples = array.array("h")
samples.frombytes(open(f"{folder}/heard.raw", "rb").read())
loud = [i for i, s in enumerate(samples) if abs(s) > 500]
if not loud:
    failures.append("nothing was heard")
else:
    heard_seconds = (loud[-1] - loud[0]) / rate
    part = samples[loud[0]:loud[-1] + 1]
    rms = math.sqrt(sum(s * s for s in part) / len(part))
    print(f"saved {speech_seconds:.2f} s of speech; heard {heard_seconds:.2f} s at rms {rms:.0f}")
    if heard_seconds < 0.6 * speech_seconds or heard_seconds > speech_seconds + 0.5:
        failures.append(f"heard {heard_seconds:.2f} s, the saved speech lasts {speech_seconds:.2f} s")
if failures:
    sys.exit("\n".join(failures))
print("end to end ok")
PY
