#!/usr/bin/env bash
# A key pressed as soon as the window is on the screen, while the synthesizer
# is still loading behind it, is heard, and for as long as it was held. An
# audio driver that fails, found out only after the window showed, is told
# in the window all the same.
. "$(dirname "$0")/lib.sh"
prepare f
start f
window "Velorin Piano"
hold z 0.4
sleep 1
finish "$PID"
if grep -q "before the synthesizer was ready" "$WORK/f/log"; then
  echo "the key came before the synthesizer was ready"
else
  echo "the synthesizer was ready before the key (a quick machine): checked all the same"
fi
mapfile -t b < <(bursts f)
printf '%s\n' "${b[@]}"
[ "${#b[@]}" -eq 1 ] || fail "expected the one note, got ${#b[@]} bursts: $(cat "$WORK/f/log")"
read -r _ length <<<"${b[0]}"
between "$length" "$(calc "$UP_A - $DOWN_B - $AUDIO_SLACK")" "$(calc "$UP_B - $DOWN_A + 0.25")" ||
  fail "the note lasted $length s, held for $(calc "$UP_A - $DOWN_B") to $(calc "$UP_B - $DOWN_A") s"

prepare g
sed -i 's/^audio-driver=file$/audio-driver=no-such-driver/' "$WORK/g/config/velorin/velorin.ini"
start g
window_named "Velorin - Device not ready" 1 30 || fail "a driver that does not open is not told in the caption: $(cat "$WORK/g/log")"
finish "$PID"
echo "1 passed, 0 failed"
