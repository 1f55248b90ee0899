#!/usr/bin/env bash
# Start-up to the first mapped window, and peak memory, of one program:
#   startup.sh RUNS PROGRAM [ARGS...]
# Prints one line per run: seconds from the start to the window's MapNotify,
# peak resident kB. Run it inside an X server of its own (xvfb-run); the
# environment chooses the program's folders. One X client (xev) listens for
# the map; the time is taken when its report is read, with no polling.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../scripts/children.sh"
runs="$1"; shift

coproc XEV { exec stdbuf -oL xev -root -event substructure 2>/dev/null; }
xev_pid=$XEV_PID
trap 'signal_child "$xev_pid" TERM || true' EXIT
sleep 0.5  # xev selects its events

# next_map PID SECONDS: waits for the next MapNotify; sets MAPPED_AT to the
# time it was read, in microseconds. Fails when PID ends first or the time
# runs out.
next_map() {
  local pid="$1" line deadline=$(( ${EPOCHREALTIME/./} + $2 * 1000000 ))
  while :; do
    if IFS= read -r -t 0.5 line <&"${XEV[0]}"; then
      [[ $line == MapNotify* ]] && { MAPPED_AT=${EPOCHREALTIME/./}; return 0; }
      continue
    fi
    kill -0 "$pid" 2>/dev/null || { echo "the program ended before showing a window" >&2; return 1; }
    [ "${EPOCHREALTIME/./}" -lt "$deadline" ] || { echo "no window within $2 s" >&2; return 1; }
  done
}

# A first start that is not counted: it fills the disk cache, and it proves
# that xev sees the maps.
"$@" >/dev/null 2>&1 &
pid=$!
next_map "$pid" 60
stop_child "$pid"

for _ in $(seq "$runs"); do
  # Reports of the previous run's windows (a tooltip, the window closing) go first.
  while IFS= read -r -t 0.2 _ <&"${XEV[0]}"; do :; done
  start=${EPOCHREALTIME/./}
  "$@" >/dev/null 2>&1 &
  pid=$!
  next_map "$pid" 60
  shown=$MAPPED_AT
  sleep 3  # let it finish loading (a SoundFont, say) before memory is read
  peak=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
  stop_child "$pid"
  echo "$(awk -v a="$shown" -v b="$start" 'BEGIN { printf "%.3f", (a - b) / 1e6 }') $peak"
  sleep 0.5
done
