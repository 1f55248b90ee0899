#!/usr/bin/env bash
# Start-up to the first visible window, and peak memory, of one program:
#   startup.sh RUNS PROGRAM [ARGS...]
# Prints one line per run: seconds to the first mapped window, peak resident kB.
# Run it inside an X server (xvfb-run); the environment chooses the program's folders.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../scripts/children.sh"
runs="$1"; shift
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 &
  pid=$!
  # A short pause between looks: each look is an X client of its own, and a
  # loop without one can use up the server's client slots on a busy machine.
  until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null || { echo "the program ended before showing a window" >&2; exit 1; }
    sleep 0.01
  done
  shown=$(date +%s%N)
  sleep 3  # let it finish loading (a SoundFont, say) before memory is read
  peak=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
  stop_child "$pid"
  echo "$(awk -v a="$shown" -v b="$start" 'BEGIN { printf "%.3f", (a - b) / 1e9 }') $peak"
  sleep 0.5
done
