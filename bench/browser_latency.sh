#!/usr/bin/env bash
# A note from the page in the browser (Debian's Chromium, headless) through
# serv's web door and the relay to a window's TCP connection on the same
# machine: the page strikes NOTES keys, 20 a second, and the time from its
# WebSocket send to the arrival at the TCP client is taken, both on the
# system clock. Prints the median, p99 and worst, with the audio output
# latency that the browser reports for the page's synthesizer, and how long
# the page took to load. Expects a built build/ and tests/web/node_modules;
# SERV names another serv to measure.
#   bench/browser_latency.sh [NOTES]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
. scripts/children.sh
notes="${1:-400}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"${SERV:-build/serv}" --port 0 --bind 127.0.0.1 --web 0 >"$work/log" 2>&1 & pid=$!
for _ in $(seq 100); do grep -q 'listening on' "$work/log" && break; sleep 0.1; done
tcp=$(sed -nE 's/.*listening on 127\.0\.0\.1:([0-9]+)$/\1/p' "$work/log")
web=$(sed -nE 's|.*web door on http://[^ ]*:([0-9]+)/.*|\1|p' "$work/log")
status=0
NODE_PATH=tests/web/node_modules node bench/browser_latency.mjs "$web" "$tcp" "$notes" || status=$?
stop_child "$pid"
exit $status
