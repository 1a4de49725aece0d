# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the shell tests: wait_for TENTHS COMMAND... waits up to TENTHS tenths of a second
# for COMMAND to succeed; false when it never did.
wait_for() {
  local tenths=$1
  shift
  for _ in $(seq "$tenths"); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}
