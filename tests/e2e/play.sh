#!/usr/bin/env bash
# Keys typed into the window sound, each for as long as it is held.
. "$(dirname "$0")/lib.sh"
prepare p
start p
window "Velorin Piano"
sleep 1.5
hold z 0.5
z_down_a=$DOWN_A z_down_b=$DOWN_B z_up_a=$UP_A z_up_b=$UP_B
sleep 1.5
hold q 0.3
q_down_a=$DOWN_A q_down_b=$DOWN_B q_up_a=$UP_A q_up_b=$UP_B
sleep 0.8
finish "$PID"
stat=$(sox "$WORK/p/out.wav" -n stat 2>&1 || true)
grep -q 'Maximum amplitude' <<<"$stat" || fail "sox cannot read the WAV"
mapfile -t b < <(bursts p)
printf '%s\n' "${b[@]}"
[ "${#b[@]}" -eq 2 ] || fail "expected two bursts of sound, got ${#b[@]}"
read -r s1 l1 <<<"${b[0]}"; read -r s2 l2 <<<"${b[1]}"
# Each note sounds while its key is held, plus the organ's short release,
# and starts when its key went down (each within the file's slack).
between "$l1" "$(calc "$z_up_a - $z_down_b - $AUDIO_SLACK")" "$(calc "$z_up_b - $z_down_a + 0.25")" ||
  fail "first note lasted $l1 s, held for $(calc "$z_up_a - $z_down_b") to $(calc "$z_up_b - $z_down_a") s"
between "$l2" "$(calc "$q_up_a - $q_down_b - $AUDIO_SLACK")" "$(calc "$q_up_b - $q_down_a + 0.25")" ||
  fail "second note lasted $l2 s, held for $(calc "$q_up_a - $q_down_b") to $(calc "$q_up_b - $q_down_a") s"
gap=$(calc "$s2 - $s1")
between "$gap" "$(calc "$q_down_a - $z_down_b - $AUDIO_SLACK")" "$(calc "$q_down_b - $z_down_a + $AUDIO_SLACK")" ||
  fail "notes $gap s apart, keys pressed $(calc "$q_down_a - $z_down_b") to $(calc "$q_down_b - $z_down_a") s apart"
echo "1 passed, 0 failed"
