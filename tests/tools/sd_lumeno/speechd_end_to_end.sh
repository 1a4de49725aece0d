#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# sd_lumeno under a real Speech Dispatcher: a private server (own configuration, socket and
# PulseAudio daemon with a null sink, nothing system-wide) loads the module; spd-say speaks
# Chinese through it and the audio arriving at the sink is checked for length and level. The
# server then lists the module's voices, and when the server vanishes the module exits.
#   speechd_end_to_end.sh PATH_TO_sd_lumeno PATH_TO_lumeno.conf      (KEEP_WORK=1 keeps the work folder)
set -euo pipefail

module=${1:?usage: speechd_end_to_end.sh PATH_TO_sd_lumeno PATH_TO_lumeno.conf}
module_conf=${2:?usage: speechd_end_to_end.sh PATH_TO_sd_lumeno PATH_TO_lumeno.conf}
for tool in speech-dispatcher spd-say pulseaudio pactl parec python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install_deps.sh installs it)"; exit 1; }
done

# shellcheck source=../../support/pulse_daemon.sh
. "$(cd "$(dirname "$0")" && pwd)/../../support/pulse_daemon.sh"

work=$(mktemp -d)
recorder=
server=
cleanup() {
  for pid in $recorder $server; do kill "$pid" 2>/dev/null || true; done
  stop_private_pulse "$work"
  if [ -n "${KEEP_WORK:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

sink=lumeno_speechd
rate=16000
start_private_pulse "$work" "$sink" "$rate"

mkdir -p "$work/conf/modules" "$work/log"
cp "$module_conf" "$work/conf/modules/lumeno.conf"
cat >"$work/conf/speechd.conf" <<CONF
AudioOutputMethod "pulse"
AddModule "lumeno" "$module" "lumeno.conf"
DefaultModule "lumeno"
LanguageDefaultModule "zh" "lumeno"
DefaultLanguage "zh"
CONF
socket="$work/run/speechd.sock"
speech-dispatcher -s -t 0 -C "$work/conf" -S "$socket" -L "$work/log" -P "$work/speechd.pid" \
  >"$work/log/server.out" 2>&1 &
server=$!
export SPEECHD_ADDRESS="unix_socket:$socket"
for _ in $(seq 100); do [ -S "$socket" ] && break; sleep 0.1; done
[ -S "$socket" ] || { echo "speech-dispatcher did not start:"; cat "$work/log/server.out"; exit 1; }

# The module's voices reach clients through the server.
voices=$(timeout 20 spd-say -o lumeno -L)
grep -q $'^ *xiaoyan *zh *female1' <<<"$voices" || { echo "voice list lacks xiaoyan:"; echo "$voices"; exit 1; }
grep -q $'^ *vixm *yue' <<<"$voices" || { echo "voice list lacks the Cantonese voice vixm"; exit 1; }

parec -d "$sink.monitor" --format=s16le --rate="$rate" --channels=1 --raw >"$work/heard.raw" &
recorder=$!
sleep 0.3
timeout 30 spd-say -w -o lumeno -l zh "他在银行工作，请重新开始。"
sleep 0.5
kill "$recorder"
wait "$recorder" 2>/dev/null || true
recorder=

python3 - "$work/heard.raw" "$rate" <<'PY'
import array, math, sys
samples = array.array("h", open(sys.argv[1], "rb").read())
rate = int(sys.argv[2])
loud = [i for i, s in enumerate(samples) if abs(s) > 500]
if not loud:
    sys.exit("no speech arrived at the sink")
span = (loud[-1] - loud[0]) / rate
body = samples[loud[0]:loud[-1] + 1]
rms = math.sqrt(sum(s * s for s in body) / len(body))
print(f"speech {span:.2f} s, level {rms:.0f} RMS")
# Twelve syllables and a pause: about two to four seconds at the normal rate.
if not 1.5 <= span <= 6.0:
    sys.exit(f"speech lasted {span:.2f} s, expected 1.5 to 6 s")
if not 300 <= rms <= 20000:
    sys.exit(f"speech level {rms:.0f} RMS is not that of speech")
PY

# The server vanishing: the module notices its closed input and exits, leaving nothing behind.
module_pid=$(pgrep -P "$server" -f sd_lumeno | head -n 1)
[ -n "$module_pid" ] || { echo "the module is not running under the server"; exit 1; }
kill -9 "$server"
wait "$server" 2>/dev/null || true
server=
for _ in $(seq 50); do kill -0 "$module_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$module_pid" 2>/dev/null; then
  echo "sd_lumeno ($module_pid) still runs after its server vanished"
  kill "$module_pid"
  exit 1
fi
echo "ok"
