#!/usr/bin/env bash
# Keys typed into the window sound, each for as long as it is held.
. "$(dirname "$0")/lib.sh"
prepare p
start p
window "Velorin Piano"
sleep 1.5
hold z 0.5
sleep 1.5
hold q 0.3
sleep 0.8
finish "$PID"
sox "$WORK/p/out.wav" -n stat 2>&1 | grep -q 'Maximum amplitude' || fail "sox cannot read the WAV"
mapfile -t b < <(bursts p)
printf '%s\n' "${b[@]}"
[ "${#b[@]}" -eq 2 ] || fail "expected two bursts of sound, got ${#b[@]}"
read -r s1 l1 <<<"${b[0]}"; read -r s2 l2 <<<"${b[1]}"
# Each note sounds while its key is held, plus the instrument's release;
# key timing under a busy machine varies by a tenth of a second or two.
between "$l1" 0.4 0.95 || fail "first note lasted $l1 s, held for 0.5"
between "$l2" 0.2 0.75 || fail "second note lasted $l2 s, held for 0.3"
between "$(awk -v a="$s2" -v b="$s1" 'BEGIN{print a-b}')" 1.9 2.4 || fail "notes at $s1 and $s2 are not about 2 s apart"
echo "1 passed, 0 failed"
