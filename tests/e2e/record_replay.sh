#!/usr/bin/env bash
# F8 records, F12 replays with the timing that was played.
. "$(dirname "$0")/lib.sh"
prepare r
start r
window "Velorin Piano"
sleep 1.5
xdotool key F8
sleep 0.3
hold z 0.3
sleep 0.4
hold x 0.3
sleep 0.2
xdotool key F8
sleep 0.5
xdotool key F12
sleep 2.5
finish "$PID"
cat -A "$WORK/r/data/velorin/piano.ini"
mapfile -t b < <(bursts r)
printf '%s\n' "${b[@]}"
[ "${#b[@]}" -eq 4 ] || fail "expected two played and two replayed notes, got ${#b[@]} bursts"
read -r p1 pl1 <<<"${b[0]}"; read -r p2 _ <<<"${b[1]}"; read -r r1 rl1 <<<"${b[2]}"; read -r r2 _ <<<"${b[3]}"
played=$(awk -v a="$p2" -v b="$p1" 'BEGIN{print a-b}')
replayed=$(awk -v a="$r2" -v b="$r1" 'BEGIN{print a-b}')
echo "played gap $played s, replayed gap $replayed s"
near "$replayed" "$played" "$AUDIO_SLACK" || fail "the replay does not keep the played timing"
near "$rl1" "$pl1" "$AUDIO_SLACK" || fail "the replayed note lasts $rl1 s, the played one $pl1 s"
echo "1 passed, 0 failed"
