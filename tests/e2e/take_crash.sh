#!/usr/bin/env bash
# Velorin killed in the middle of a take loses at most its last moments: the
# next start makes the take again from its journal, the note that was held
# at the kill included, and F11 plays it.
. "$(dirname "$0")/lib.sh"
PY=/usr/bin/python3
prepare c
start c
window "Velorin Piano"
sleep 1.5
xdotool key F8
sleep 0.3
hold z 0.4
sleep 0.1
hold x 0.4
sleep 0.1
xdotool keydown c
sleep 1.5
signal_child "$PID" KILL || fail "Velorin had ended before it was killed"
wait "$PID" 2>/dev/null || true
xdotool keyup c
data="$WORK/c/data/velorin"
[ -s "$data/take.journal" ] || fail "no journal was written while recording"
[ ! -e "$data/take.mid" ] || fail "a take file was written before Record was turned off"

start c
window "Velorin Piano"
sleep 1.5
[ -f "$data/take.mid" ] || fail "the take was not recovered"
[ ! -e "$data/take.journal" ] || fail "the journal stayed after the take was recovered"
xdotool key F11
sleep 3.5
finish "$PID"
"$PY" - "$data/take.mid" <<'PY' || fail "the recovered take lost what was played"
import sys, mido
t, on, notes = 0.0, {}, []
for m in mido.MidiFile(sys.argv[1]):
    t += m.time
    if m.type == 'note_on' and m.velocity > 0:
        on[m.note] = t
    elif m.type in ('note_off', 'note_on') and m.note in on:
        notes.append((m.note, round(t - on.pop(m.note), 3)))
print(notes)
assert not on
assert [n for n, _ in notes] == [60, 62, 64], "not the three notes played"
assert 0.35 <= notes[0][1] <= 0.6 and 0.35 <= notes[1][1] <= 0.6, "the first two notes changed length"
# Held 1.5 s before the kill; the journal is written twice a second.
assert notes[2][1] >= 0.9, "the held note lost more than the last half second"
PY
mapfile -t b < <(bursts c)
printf '%s\n' "${b[@]}"
[ "${#b[@]}" -ge 1 ] || fail "F11 played nothing of the recovered take"
echo "1 passed, 0 failed"
