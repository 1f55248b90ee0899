#!/usr/bin/env bash
# A ".mus" file named on the command line replays shortly after start-up.
. "$(dirname "$0")/lib.sh"
prepare o
printf '0: 30\r\nS: 50\r\n4: 30\r\n' > "$WORK/tune.mus"
start o "$WORK/tune.mus"
# The caption becomes "Playing: ..." at once, so the window is not looked up by name.
sleep 3
finish "$PID"
cmp "$WORK/tune.mus" "$WORK/o/data/velorin/piano.ini" || fail "the file did not become the recording"
mapfile -t b < <(bursts o)
printf '%s\n' "${b[@]}"
[ "${#b[@]}" -eq 2 ] || fail "expected the two notes of the file, got ${#b[@]} bursts"
read -r s1 l1 <<<"${b[0]}"; read -r s2 _ <<<"${b[1]}"
# 0.3 s held, plus the organ's short release.
between "$l1" 0.28 0.5 || fail "the first note lasted $l1 s, held for 0.3"
near "$(awk -v a="$s2" -v b="$s1" 'BEGIN{print a-b}')" 0.8 "$AUDIO_SLACK" || fail "the notes are not 0.8 s apart"
echo "1 passed, 0 failed"
