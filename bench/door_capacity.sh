#!/usr/bin/env bash
# What the web door carries: browser players in rooms of 6, each sending 4
# notes a second (build/bench_door_fanout), at 120 to 1920 players, against one
# serv with its door and against two, the rooms split between them as a
# proxy that hashes rooms would split them. Each row gives the latency, what
# was delivered, and the doors' CPU time: in all, as a share of one core,
# and per WebSocket frame sent (each note goes to the 6 of its room). Last,
# the TCP relay's own cost per message delivered, at the same notes a second
# (build/bench_relay_fanout, 120 windows in the lobby), for comparison.
# Prints Markdown table rows; progress goes to stderr. Expects a built build/;
# SERV names another serv to measure, DOOR_OPTIONS the door's bounds for it.
#   bench/door_capacity.sh [SECONDS] [PLAYERS...]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
. scripts/children.sh
seconds="${1:-10}"
shift || true
loads=("$@"); [ ${#loads[@]} -gt 0 ] || loads=(120 240 480 960 1440 1920)
serv="${SERV:-build/serv}"
read -r -a door_options <<<"${DOOR_OPTIONS:---web-max-clients 100000 --web-max-rooms 100000 --web-max-per-address 100000}"
processes_list="${PROCESSES:-1 2}"
work="$(mktemp -d)"
pids=()
trap 'for p in "${pids[@]}"; do stop_child "$p"; done; rm -rf "$work"' EXIT
field() { sed -nE "s|.*$1.*|\\1|p" <<<"$2"; }
tick=$(getconf CLK_TCK)

# cpu PID: the CPU time PID has used, in clock ticks.
cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# door_of PID: the web door serv PID started.
door_of() {
  local child
  for child in $(cat /proc/"$1"/task/*/children 2>/dev/null); do
    [ "$(cat /proc/"$child"/comm 2>/dev/null)" = serv-web ] && { echo "$child"; return 0; }
  done
  return 1
}

# start_servs N: N serv with doors on free ports, bounds far above the load;
# sets PORTS (comma-separated), DOORS and SERVS.
start_servs() {
  PORTS=""; DOORS=(); SERVS=()
  local i port pid
  for i in $(seq "$1"); do
    "$serv" --port 0 --bind 127.0.0.1 --web 0 --web-bind 127.0.0.1 "${door_options[@]}" >"$work/serv$i.log" 2>&1 & pid=$!
    pids+=("$pid"); SERVS+=("$pid")
    for _ in $(seq 100); do grep -q 'web door on' "$work/serv$i.log" && break; sleep 0.1; done
    port=$(sed -nE 's|.*web door on http://[^ ]*:([0-9]+)/.*|\1|p' "$work/serv$i.log")
    PORTS="${PORTS:+$PORTS,}$port"
    DOORS+=("$(door_of "$pid")")
  done
}
stop_servs() { for p in "${SERVS[@]}"; do stop_child "$p"; done; }

# measure ARGS...: runs the generator; while it sends, the CPU time of the
# processes in WATCH. Sets OUT and USED (ticks).
measure() {
  "$@" >"$work/out" 2>"$work/err" & local gen=$!
  for _ in $(seq 600); do grep -q '^sending' "$work/out" && break; kill -0 "$gen" 2>/dev/null || break; sleep 0.05; done
  sleep 0.1
  local before=0 after=0 p
  for p in "${WATCH[@]}"; do before=$((before + $(cpu "$p"))); done
  sleep "$seconds"
  for p in "${WATCH[@]}"; do after=$((after + $(cpu "$p"))); done
  wait "$gen" || true
  OUT=$(grep -v '^sending' "$work/out" || true)
  USED=$((after - before))
  [ -n "$OUT" ] || echo "generator failed: $(head -c 300 "$work/err")" >&2
}

for processes in $processes_list; do
  for players in "${loads[@]}"; do
    start_servs "$processes"
    WATCH=("${DOORS[@]}")
    measure build/bench_door_fanout 127.0.0.1 "$PORTS" $((players / 6)) 6 4 "$seconds"
    # Each note goes out as a frame to each of the 6 of its room.
    sent=$(field 'sent ([0-9]+),' "$OUT")
    frames=$((${sent:-0} * 6))
    share=$(awk -v u="$USED" -v t="$tick" -v s="$seconds" 'BEGIN { printf "%.0f", 100 * u / t / s }')
    per=$(awk -v u="$USED" -v t="$tick" -v f="$frames" 'BEGIN { printf "%.1f", (f > 0 ? 1e6 * u / t / f : 0) }')
    echo "$processes × door, $players players: $OUT; doors' CPU $share % of a core, $per µs a frame" >&2
    echo "| web door, $players players in rooms of 6 × 4 notes/s, $processes serv | latency median" \
         "$(field 'median ([0-9.]+) ms' "$OUT") ms, p99 $(field 'p99 ([0-9.]+) ms' "$OUT") ms;" \
         "delivered $(field '\(([0-9.]+)%\)' "$OUT") %; doors' CPU $share % of a core, $per µs a frame" \
         "| \`bench/door_capacity.sh $seconds\` |"
    stop_servs
  done
done

[ -z "${SERV:-}" ] || exit 0
# The TCP relay at the same 4 notes a second from each of 120 windows, all
# in the lobby: its CPU time per message delivered.
build/serv --port 0 --bind 127.0.0.1 >"$work/tcp.log" 2>&1 & pid=$!
pids+=("$pid")
for _ in $(seq 100); do grep -q 'listening on' "$work/tcp.log" && break; sleep 0.1; done
port=$(sed -nE 's/.*listening on 127\.0\.0\.1:([0-9]+)$/\1/p' "$work/tcp.log")
WATCH=("$pid")
measure bash -c "echo sending; exec build/bench_relay_fanout 127.0.0.1 $port 120 4 $seconds"
delivered=$(field 'delivered to others ([0-9]+) of' "$OUT")
per=$(awk -v u="$USED" -v t="$tick" -v d="${delivered:-0}" 'BEGIN { printf "%.1f", (d > 0 ? 1e6 * u / t / d : 0) }')
echo "tcp: $OUT; serv's CPU $per µs a delivery" >&2
echo "| relay, 120 windows × 4 notes/s in the lobby | latency median $(field 'median ([0-9.]+) ms' "$OUT") ms," \
     "p99 $(field 'p99 ([0-9.]+) ms' "$OUT") ms; serv's CPU $per µs a message delivered | \`bench/door_capacity.sh $seconds\` |"
stop_child "$pid"
