# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by test scripts: a private PulseAudio daemon with one null sink, nothing from a
# desktop session. start_private_pulse WORK SINK RATE; stop_private_pulse WORK.
start_private_pulse() {
  local work=$1 sink=$2 rate=$3
  mkdir -p -m 700 "$work/run" "$work/home"
  export XDG_RUNTIME_DIR="$work/run" HOME="$work/home"
  unset PULSE_SERVER PULSE_SINK PULSE_COOKIE || true
  # As root PulseAudio only warns; --system is not needed because the daemon serves this
  # script's own user through the private runtime folder.
  pulseaudio -D --exit-idle-time=-1 -n --log-target=stderr --log-level=error \
    --load=module-native-protocol-unix \
    --load="module-null-sink sink_name=$sink rate=$rate channels=1 format=s16le" 2>"$work/pulse.log"
  for _ in $(seq 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  pactl info >/dev/null 2>&1 || { echo "PulseAudio did not start:"; cat "$work/pulse.log"; return 1; }
  pactl set-default-sink "$sink"
}

stop_private_pulse() {
  local work=$1
  if [ -s "$work/run/pulse/pid" ]; then
    kill "$(cat "$work/run/pulse/pid")" 2>/dev/null || true
  fi
}
