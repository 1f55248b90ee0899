#!/usr/bin/env bash
# The TCP relay with and without the web door, in the same run: the load
# generator (build/bench_relay_fanout) drives `serv` and `serv --web 0` one
# after the other, RUNS times per load at 10, 100, 500 and 1000 clients,
# alternating which goes first. With the door the relay has one more client,
# the door's bridge, which gets every pass like any other. Prints one
# Markdown table row per load: the medians over the runs and how far the door
# moves them. Expects a built build/.
#   bench/relay_with_door.sh [SECONDS] [RUNS]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
. scripts/children.sh
seconds="${1:-5}"
runs="${2:-3}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
field() { sed -E "s|.*$1.*|\\1|" <<<"$2"; }

measure() {  # measure plain|door CLIENTS RATE: the generator's result line
  local kind="$1" clients="$2" rate="$3" pid port="" out=""
  local extra=(); [ "$kind" = door ] && extra=(--web 0)
  build/serv --port 0 --bind 127.0.0.1 "${extra[@]}" >"$work/log" 2>&1 & pid=$!
  for _ in $(seq 100); do
    port=$(sed -nE 's/.*listening on 127\.0\.0\.1:([0-9]+)$/\1/p' "$work/log")
    [ -n "$port" ] && break
    sleep 0.1
  done
  if [ -n "$port" ] && { [ "$kind" = plain ] || grep -q 'web door on' "$work/log"; }; then
    sleep 0.3
    out=$(build/bench_relay_fanout 127.0.0.1 "$port" "$clients" "$rate" "$seconds") || out=""
  fi
  stop_child "$pid"
  grep -q 'median' <<<"$out" || out="failed: latency median 999999 ms, p99 999999 ms (0%), 0 deliveries/s"
  echo "$out"
}

for load in "10 100" "100 20" "500 2" "1000 1"; do
  read -r clients rate <<<"$load"
  : >"$work/plain"; : >"$work/door"
  for run in $(seq "$runs"); do
    order="plain door"; [ $((run % 2)) = 0 ] && order="door plain"
    for kind in $order; do
      out=$(measure "$kind" "$clients" "$rate")
      echo "$kind $clients × $rate, run $run: $out" >&2
      printf '%s %s %s\n' "$(field 'median ([0-9.]+) ms' "$out")" "$(field 'p99 ([0-9.]+) ms' "$out")" \
        "$(field ' ([0-9]+) deliveries/s' "$out")" >>"$work/$kind"
    done
  done
  col() { cut -d' ' -f"$1" "$work/$2" | median; }
  pm=$(col 1 plain); dm=$(col 1 door); pp=$(col 2 plain); dp=$(col 2 door); pd=$(col 3 plain); dd=$(col 3 door)
  change() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%+.1f %%", (a > 0 ? (b - a) / a * 100 : 0) }'; }
  echo "| relay, $clients clients × $rate msg/s: serv without vs with the web door, median of $runs runs" \
       "| latency median $pm vs $dm ms ($(change "$pm" "$dm")), p99 $pp vs $dp ms ($(change "$pp" "$dp"));" \
       "$pd vs $dd deliveries/s ($(change "$pd" "$dd"))" \
       "| \`bench/relay_with_door.sh $seconds $runs\` |"
done
