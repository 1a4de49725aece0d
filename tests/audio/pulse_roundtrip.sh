#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sound really reaches a sound server: plays a known sound through the ALSA sound output into a
# private PulseAudio daemon with a null sink, records the sink's monitor with parec and checks
# that what arrived has the level, pitch and length of what was played; then checks that
# stop_all ends a long sound early.
#   pulse_roundtrip.sh PATH_TO_play_pcm      (KEEP_WORK=1 keeps the recordings)
set -euo pipefail

play_pcm=${1:?usage: pulse_roundtrip.sh PATH_TO_play_pcm}
for tool in pulseaudio pactl parec python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install_deps.sh installs it)"; exit 1; }
done

# shellcheck source=../support/pulse_daemon.sh
. "$(cd "$(dirname "$0")" && pwd)/../support/pulse_daemon.sh"

work=$(mktemp -d)
recorder=
keeper=
cleanup() {
  for pid in $recorder $keeper; do kill "$pid" 2>/dev/null || true; done
  stop_private_pulse "$work"
  if [ -n "${KEEP_WORK:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

export LUMENO_SOUND=alsa
sink=lumeno_roundtrip
rate=16000
start_private_pulse "$work" "$sink" "$rate"

# The sources: 0.3 s of silence, then a 440 Hz tone at half scale. The null sink renders its
# first tens of milliseconds after waking before its monitor delivers anything; the silence
# keeps that out of the measurement.
python3 - "$work" "$rate" <<'PY'
import math, struct, sys
folder, rate = sys.argv[1], int(sys.argv[2])
for name, seconds in (("warm-up.pcm", 0.0), ("short.pcm", 2.0), ("long.pcm", 10.0)):
    lead_in = b"\0\0" * int(rate * 0.3)
    tone = (int(16384 * math.sin(2 * math.pi * 440 * i / rate)) for i in range(int(rate * seconds)))
    with open(f"{folder}/{name}", "wb") as f:
        f.write(lead_in + b"".join(struct.pack("<h", s) for s in tone))
PY

bytes_per_second=$((rate * 2))

# Waits until FILE holds at least BYTES bytes; the monitor delivers in real time, so this also
# waits for stream time to pass.
wait_for_size() {
  local file=$1 bytes=$2
  for _ in $(seq 300); do
    [ "$(stat -c %s "$file")" -ge "$bytes" ] && return 0
    sleep 0.05
  done
  echo "the recorder delivered $(stat -c %s "$file") of $bytes bytes in 15 s"
  return 1
}

# Starts parec on the sink's monitor into FILE and returns once its stream is really running:
# the server lists it uncorked and audio arrives (a fresh null sink can take over a second
# before its monitor delivers anything). Sets recorder to its process id.
start_recorder() {
  local file=$1
  parec -d "$sink.monitor" --raw --format=s16le --rate=$rate --channels=1 --latency-msec=20 >"$file" &
  recorder=$!
  local listed=
  for _ in $(seq 300); do
    if pactl list source-outputs | awk -v pid="\"$recorder\"" '
        /^Source Output/ { uncorked = 0 }
        /Corked: no/ { uncorked = 1 }
        /application.process.id/ && $3 == pid && uncorked { found = 1 }
        END { exit !found }'; then
      listed=1
      break
    fi
    sleep 0.05
  done
  [ -n "$listed" ] || { echo "the recorder's stream never appeared"; return 1; }
  wait_for_size "$file" $((bytes_per_second / 5))
}

stop_recorder() {
  kill "$recorder"
  wait "$recorder" 2>/dev/null || true
  recorder=
}

# Records the sink while play_pcm runs with the given arguments; keeps play_pcm's report. The
# recording goes on for half a second of stream time after play_pcm returns, so the sound's
# end, still in the server's buffers then, is heard.
record() {
  local name=$1
  shift
  start_recorder "$work/$name.raw"
  "$play_pcm" "$@" | tee "$work/$name.report"
  wait_for_size "$work/$name.raw" $(($(stat -c %s "$work/$name.raw") + bytes_per_second / 2))
  stop_recorder
}

# A first recorder wakes the sink and runs to the end, so the sink keeps running between the
# phases and never has to start again under a measurement.
start_recorder "$work/keep-running.raw"
keeper=$recorder
recorder=
# A freshly loaded null sink can take over a second to start its first stream.
"$play_pcm" "$work/warm-up.pcm" "$rate" >/dev/null
echo "== whole sound"
record short "$work/short.pcm" "$rate"
echo "== stopped 1 s after play"
record long "$work/long.pcm" "$rate" --stop-after 1000
recorder=$keeper
keeper=
stop_recorder

python3 - "$work" "$rate" <<'PY'
import array, math, sys
folder, rate = sys.argv[1], int(sys.argv[2])

def heard(name):
    samples = array.array("h")
    with open(f"{folder}/{name}.raw", "rb") as f:
        samples.frombytes(f.read())
    loud = [i for i, s in enumerate(samples) if abs(s) > 2000]
    if not loud:
        sys.exit(f"{name}: nothing was heard")
    part = samples[loud[0]:loud[-1] + 1]
    seconds = len(part) / rate
    rms = math.sqrt(sum(s * s for s in part) / len(part))
    pitch = sum(1 for a, b in zip(part, part[1:]) if a < 0 <= b) / seconds
    with open(f"{folder}/{name}.report") as f:
        took = int(f.read().split()[2])
    print(f"{name}: tone heard for {seconds:.3f} s, rms {rms:.0f}, {pitch:.1f} Hz; play_pcm took {took} ms")
    return seconds, rms, pitch, took

failures = []
expected_rms = 16384 / math.sqrt(2)
seconds, rms, pitch, took = heard("short")
if abs(seconds - 2.0) > 0.02:
    failures.append(f"whole tone lasted {seconds:.3f} s, not 2 s")
if abs(rms - expected_rms) > 0.05 * expected_rms:
    failures.append(f"whole tone level {rms:.0f}, expected {expected_rms:.0f}")
if abs(pitch - 440) > 5:
    failures.append(f"whole tone pitch {pitch:.1f} Hz, expected 440")

seconds, rms, pitch, took = heard("long")
# Stopped 1 s after play, that is about 0.7 s into the tone.
if not 0.3 <= seconds <= 1.2:
    failures.append(f"stopped tone lasted {seconds:.3f} s, expected about 0.7 s of 10")
if abs(rms - expected_rms) > 0.05 * expected_rms:
    failures.append(f"stopped tone level {rms:.0f}, expected {expected_rms:.0f}")
if took > 1500:
    failures.append(f"play_pcm ended {took} ms after play although stop_all came at 1000 ms")

if failures:
    sys.exit("\n".join(failures))
print("round trip ok")
PY
