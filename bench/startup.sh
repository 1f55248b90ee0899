#!/usr/bin/env bash
# Start-up to the first mapped window, and peak memory, of one program:
#   startup.sh RUNS PROGRAM [ARGS...]
# Prints one line per run: seconds to the first mapped window, peak resident kB.
# Run it inside an X server (xvfb-run); the environment chooses the program's folders.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../scripts/children.sh"
runs="$1"; shift
# One X client for the whole run: xev reports every top-level window that is
# mapped (no window manager runs, so the program's own MapNotify is the first).
coproc XEV { exec stdbuf -oL xev -root -event substructure; }
xev_pid=$XEV_PID
trap 'stop_child "$xev_pid"' EXIT
sleep 0.5  # xev selects its events before the first program starts
for _ in $(seq "$runs"); do
  # Events of the previous run (unmaps, destroys) are read and dropped.
  while read -r -t 0.2 -u "${XEV[0]}" _; do :; done
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 &
  pid=$!
  shown=""
  while read -r -t 30 -u "${XEV[0]}" line; do
    if [[ "$line" == MapNotify* ]]; then shown=$(date +%s%N); break; fi
  done
  [ -n "$shown" ] || { echo "no window was mapped" >&2; stop_child "$pid"; exit 1; }
  sleep 3  # let it finish loading (a SoundFont, say) before memory is read
  peak=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
  stop_child "$pid"
  echo "$(awk -v a="$shown" -v b="$start" 'BEGIN { printf "%.3f", (a - b) / 1e9 }') $peak"
  sleep 0.5
done
