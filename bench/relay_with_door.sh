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
TITLE="serv without vs with the web door" COMMAND="bench/relay_with_door.sh" \
  exec bench/relay_compare.sh build/serv "build/serv --web 0" "${1:-5}" "${2:-3}"
