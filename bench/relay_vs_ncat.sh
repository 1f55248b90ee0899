#!/usr/bin/env bash
# serv against ncat --broker at 10, 100, 500 and 1000 clients: the same load
# generator (build/bench_relay_fanout) drives both relays, one after the
# other, RUNS times per load, alternating which goes first. Prints one
# Markdown table row per load (the medians over the runs, and in how many
# runs serv had both the lower median and the lower p99); progress goes to
# stderr. Expects a built build/ and ncat.
#   bench/relay_vs_ncat.sh [SECONDS] [RUNS]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
. scripts/children.sh
seconds="${1:-5}"
runs="${2:-3}"

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
field() { sed -E "s|.*$1.*|\\1|" <<<"$2"; }

# One run of the generator against a fresh relay; prints its result line.
measure() {
  local relay="$1" clients="$2" rate="$3" pid out
  if [ "$relay" = serv ]; then
    build/serv --port 19352 --bind 127.0.0.1 >/dev/null 2>&1 & pid=$!
  else
    ncat --broker --max-conns 2000 -l 127.0.0.1 19352 >/dev/null 2>&1 & pid=$!
  fi
  sleep 0.5
  out=$(build/bench_relay_fanout 127.0.0.1 19352 "$clients" "$rate" "$seconds") || out=""
  stop_child "$pid"
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
