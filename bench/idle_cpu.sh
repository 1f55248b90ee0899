#!/usr/bin/env bash
# CPU used by an idle program over a number of seconds, in percent of one core:
#   idle_cpu.sh SECONDS PROGRAM [ARGS...]
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../scripts/children.sh"
seconds="$1"; shift
"$@" >/dev/null 2>&1 &
pid=$!
sleep 4  # past start-up
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
t0=$(ticks)
sleep "$seconds"
t1=$(ticks)
stop_child "$pid"
awk -v a="$t0" -v b="$t1" -v s="$seconds" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f\n", 100 * (b - a) / hz / s }'
