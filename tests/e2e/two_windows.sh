#!/usr/bin/env bash
# Two Velorin windows play together through the play server.
. "$(dirname "$0")/lib.sh"
"$SERV" --port 9352 --bind 127.0.0.1 >"$WORK/serv.log" 2>&1 &
SERV_PID=$!
sleep 0.5
prepare a
prepare b
start a; A=$PID
window "Velorin Piano"; WA=$WINDOW
start b; B=$PID
for _ in $(seq 100); do [ "$(xdotool search --name 'Velorin Piano' | wc -l)" -ge 2 ] && break; sleep 0.1; done
WB=$(xdotool search --name "Velorin Piano" | grep -v "^$WA\$" | head -1)
[ -n "$WB" ] || fail "no second window"
sleep 1.5
connect() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  xdotool key F3
  sleep 0.7
  xdotool type --delay 20 "127.0.0.1"
  xdotool key Return
  sleep 0.7
}
connect "$WA"
connect "$WB"
[ "$(grep -cE '^[^ ]+ connect ' "$WORK/serv.log")" -eq 2 ] || fail "the server did not see two players: $(cat "$WORK/serv.log")"
xdotool windowfocus --sync "$WA" 2>/dev/null || xdotool windowfocus "$WA"
sleep 0.3
hold z 0.3
sleep 1
finish "$A"
finish "$B"
stop_child "$SERV_PID"
for who in a b; do
  n=$(bursts "$who" | wc -l)
  echo "$who: $n bursts"; bursts "$who"
  [ "$n" -ge 1 ] || fail "window $who did not sound the key pressed in window a"
done
echo "1 passed, 0 failed"
