#!/usr/bin/env bash
# serv against ncat --broker at 10, 100, 500 and 1000 clients: the same load
# generator (build/bench_relay_fanout) drives both relays, one after the
# other, RUNS times per load, alternating which goes first. Prints one
# Markdown table row per load (the medians over the runs, and in how many
# runs serv had both the lower median and the lower p99); progress goes to
# stderr. Expects a built build/ and ncat; SERV names another serv to measure.
#   bench/relay_vs_ncat.sh [SECONDS] [RUNS]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
. scripts/children.sh
seconds="${1:-5}"
runs="${2:-3}"
serv="${SERV:-build/serv}"

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
field() { sed -E "s|.*$1.*|\\1|" <<<"$2"; }

# A port nothing listens on now, for ncat, which cannot pick one itself.
free_port() {
  local port
  for _ in $(seq 50); do
    port=$((20000 + RANDOM % 40000))
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return 0; }
  done
  return 1
}

# Waits up to 5 s for a connection to PORT to succeed while PID still runs.
listening() {
  local pid="$1" port="$2"
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || return 1
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# One run of the generator against a fresh relay; prints its result line. The
# relay's own port is checked to be its own: serv takes a free one and names
# it, ncat's is checked to be free first and to answer while ncat runs.
measure() {
  local relay="$1" clients="$2" rate="$3" pid port="" out="" log
  log="${TMPDIR:-/tmp}/relay.$$.log"
  if [ "$relay" = serv ]; then
    "$serv" --port 0 --bind 127.0.0.1 >"$log" 2>&1 & pid=$!
    for _ in $(seq 50); do
      port=$(sed -nE 's/.*listening on 127\.0\.0\.1:([0-9]+)$/\1/p' "$log")
      [ -n "$port" ] && break
      sleep 0.1
    done
  else
    port=$(free_port) || port=""
    if [ -n "$port" ]; then
      ncat --broker --max-conns 2000 -l 127.0.0.1 "$port" >"$log" 2>&1 & pid=$!
    fi
  fi
  if [ -n "$port" ] && listening "$pid" "$port"; then
    sleep 0.3
    out=$(build/bench_relay_fanout 127.0.0.1 "$port" "$clients" "$rate" "$seconds") || out=""
  else
    echo "$relay did not start: $(head -c 300 "$log")" >&2
  fi
  stop_child "${pid:-}"
  rm -f "$log"
  # A failed run counts as far behind: no latency, nothing delivered.
  grep -q 'median' <<<"$out" || out="failed: latency median 999999 ms, p99 999999 ms (0%), 0 deliveries/s"
  echo "$out"
}

for load in "10 100" "100 20" "500 2" "1000 1"; do
  read -r clients rate <<<"$load"
  : >"${TMPDIR:-/tmp}/relay.$$.serv"; : >"${TMPDIR:-/tmp}/relay.$$.ncat"
  ahead=0
  for run in $(seq "$runs"); do
    order="serv ncat"; [ $((run % 2)) = 0 ] && order="ncat serv"
    for relay in $order; do
      out=$(measure "$relay" "$clients" "$rate")
      echo "$relay $clients × $rate, run $run: $out" >&2
      printf '%s %s %s %s\n' "$(field 'median ([0-9.]+) ms' "$out")" "$(field 'p99 ([0-9.]+) ms' "$out")" \
        "$(field '\(([0-9.]+)%\)' "$out")" "$(field ' ([0-9]+) deliveries/s' "$out")" >>"${TMPDIR:-/tmp}/relay.$$.$relay"
    done
    read -r sm sp _ _ < <(tail -1 "${TMPDIR:-/tmp}/relay.$$.serv")
    read -r nm np _ _ < <(tail -1 "${TMPDIR:-/tmp}/relay.$$.ncat")
    awk -v a="$sm" -v b="$nm" -v c="$sp" -v d="$np" 'BEGIN {exit !(a < b && c < d)}' && ahead=$((ahead + 1))
  done
  col() { cut -d' ' -f"$1" "${TMPDIR:-/tmp}/relay.$$.$2" | median; }
  worst=$(cut -d' ' -f2 "${TMPDIR:-/tmp}/relay.$$.serv" | sort -g | tail -1)
  echo "| relay, $clients clients × $rate msg/s: serv vs ncat --broker, median of $runs runs" \
       "| latency median $(col 1 serv) vs $(col 1 ncat) ms, p99 $(col 2 serv) vs $(col 2 ncat) ms (serv's worst p99 $worst ms);" \
       "delivered $(col 3 serv) % vs $(col 3 ncat) % ($(col 4 serv) vs $(col 4 ncat) deliveries/s);" \
       "serv lower in both in $ahead of $runs runs" \
       "| \`build/bench_relay_fanout 127.0.0.1 PORT $clients $rate $seconds\` |"
  rm -f "${TMPDIR:-/tmp}/relay.$$.serv" "${TMPDIR:-/tmp}/relay.$$.ncat"
done
