#!/usr/bin/env bash
# Keys held under real X auto-repeat: a held key is one note from press to
# release, and a key held while a menu takes the keyboard ends when the menu
# opens, drawn up again, instead of sounding on. Four keys struck at once are
# four notes, and a key held while Page Up moves the base note stops at its
# release.
. "$(dirname "$0")/lib.sh"
xset r on
xset r rate 660 25
prepare k
start k
window "Velorin Piano"
sleep 1.5
xdotool key F8
sleep 0.3
hold z 3.0
z_held_min=$(calc "$UP_A - $DOWN_B") z_held_max=$(calc "$UP_B - $DOWN_A")
sleep 0.5
v_down_a=$(now); xdotool keydown v; v_down_b=$(now)
sleep 1.0
xdotool mousemove --window "$WINDOW" 50 11 click 1  # the "Extra" menu
clicked=$(now)
sleep 1.5
v_up_a=$(now); xdotool keyup v
sleep 0.3
xdotool key Escape
sleep 0.5
import -window "$WINDOW" "$WORK/after.png"
# The lower half of the white key V plays (F), below the black keys.
look=$(convert "$WORK/after.png" -format '%[fx:int(255*p{120,95}.b)]' info:)
sleep 0.5
xdotool keydown --delay 0 c b n m
sleep 0.4
xdotool keyup --delay 0 c b n m
sleep 0.8
t_down_a=$(now); xdotool keydown t
sleep 0.5
xdotool key Prior
sleep 0.5
xdotool keyup t; t_up_b=$(now)
sleep 0.8
xdotool key F8
sleep 0.3
finish "$PID"
log=$(tr -d '\r' < "$WORK/k/data/velorin/piano.ini")
echo "$log"
mapfile -t b < <(bursts k)
printf '%s\n' "${b[@]}"
[ "$(grep -c '^0: ' <<<"$log")" -eq 1 ] || fail "the held Z was recorded as more than one note"
z=$(grep '^0: ' <<<"$log" | cut -d' ' -f2)
between "$z" "$(calc "100 * $z_held_min - 3")" "$(calc "100 * $z_held_max + 3")" ||
  fail "the held Z was recorded as $z counts, held for $z_held_min to $z_held_max s"
grep -q '^5: ' <<<"$log" || fail "V, released when the menu opened, has no note line"
for k in 4 7 9 11; do
  grep -q "^$k: " <<<"$log" || fail "key $k of the four struck at once has no note line"
done
[ "${#b[@]}" -eq 4 ] || fail "expected four bursts (Z, V, the chord, T), got ${#b[@]}"
read -r _ tl <<<"${b[3]}"
between "$tl" 0.5 "$(calc "$t_up_b - $t_down_a + 0.3")" ||
  fail "T sounded for $tl s, released $(calc "$t_up_b - $t_down_a") s after its press: its note-off missed its note"
read -r _ zl <<<"${b[0]}"; read -r _ vl <<<"${b[1]}"
between "$zl" "$(calc "$z_held_min - $AUDIO_SLACK")" "$(calc "$z_held_max + 0.25")" ||
  fail "the held Z sounded for $zl s, held for $z_held_min to $z_held_max s"
# V was held 1 s before the menu opened and let go 1.5 s after: it must fall
# silent with the menu, not at the key-up (nor never).
between "$vl" 0.8 "$(calc "$clicked - $v_down_a + 0.5")" ||
  fail "V sounded for $vl s: it did not end when the menu took the keyboard"
[ "$(calc "$vl < $v_up_a - $v_down_b - 0.5")" = "1.000" ] || fail "V sounded until its key-up"
[ "$look" -eq 255 ] || fail "V is still drawn pressed (blue $look, released keys are white)"
echo "1 passed, 0 failed"
