#!/usr/bin/env bash
# Two servs side by side (two builds, or one with and without options): the
# load generator (build/bench_relay_fanout) drives serv A and serv B one
# after the other, RUNS times per load at 10, 100, 500 and 1000 clients,
# alternating which goes first, so that a machine that others share loads
# both alike. A and B are a program with its options, such as
# "build/serv --web 0". Prints one Markdown table row per load: the medians
# over the runs and how far B moves them from A; TITLE names the two in it.
#   bench/relay_compare.sh "SERV_A [OPTIONS]" "SERV_B [OPTIONS]" [SECONDS] [RUNS]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
. scripts/children.sh
a="$1"; b="$2"
seconds="${3:-5}"
runs="${4:-3}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
field() { sed -E "s|.*$1.*|\\1|" <<<"$2"; }

measure() {  # measure "SERV [OPTIONS]" CLIENTS RATE: the generator's result line
  local serv clients="$2" rate="$3" pid port="" out=""
  read -r -a serv <<<"$1"
  "${serv[@]}" --port 0 --bind 127.0.0.1 >"$work/log" 2>&1 & pid=$!
  for _ in $(seq 100); do
    port=$(sed -nE 's/.*listening on 127\.0\.0\.1:([0-9]+)$/\1/p' "$work/log")
    [ -n "$port" ] && break
    sleep 0.1
  done
  if [ -n "$port" ]; then
    sleep 0.3
    out=$(build/bench_relay_fanout 127.0.0.1 "$port" "$clients" "$rate" "$seconds") || out=""
  fi
  stop_child "$pid"
  grep -q 'median' <<<"$out" || out="failed: latency median 999999 ms, p99 999999 ms (0%), 0 deliveries/s"
  echo "$out"
}

for load in "10 100" "100 20" "500 2" "1000 1"; do
  read -r clients rate <<<"$load"
  : >"$work/a"; : >"$work/b"
  for run in $(seq "$runs"); do
    order="a b"; [ $((run % 2)) = 0 ] && order="b a"
    for which in $order; do
      serv="$a"; [ "$which" = b ] && serv="$b"
      out=$(measure "$serv" "$clients" "$rate")
      echo "$which $clients × $rate, run $run: $out" >&2
      printf '%s %s %s\n' "$(field 'median ([0-9.]+) ms' "$out")" "$(field 'p99 ([0-9.]+) ms' "$out")" \
        "$(field ' ([0-9]+) deliveries/s' "$out")" >>"$work/$which"
    done
  done
  col() { cut -d' ' -f"$1" "$work/$2" | median; }
  am=$(col 1 a); bm=$(col 1 b); ap=$(col 2 a); bp=$(col 2 b); ad=$(col 3 a); bd=$(col 3 b)
  change() { awk -v x="$1" -v y="$2" 'BEGIN { printf "%+.1f %%", (x > 0 ? (y - x) / x * 100 : 0) }'; }
  echo "| relay, $clients clients × $rate msg/s: ${TITLE:-A vs B}, median of $runs runs" \
       "| latency median $am vs $bm ms ($(change "$am" "$bm")), p99 $ap vs $bp ms ($(change "$ap" "$bp"));" \
       "$ad vs $bd deliveries/s ($(change "$ad" "$bd"))" \
       "| \`${COMMAND:-bench/relay_compare.sh A B} $seconds $runs\` |"
done
