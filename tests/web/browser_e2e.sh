#!/usr/bin/env bash
# Two pages in Debian's Chromium (headless, driven by puppeteer-core) and one
# Velorin window under Xvfb play together in the lobby of serv's web door.
# Usage (under xvfb-run): browser_e2e.sh VELORIN WAV_ONSETS SERV
. "$(dirname "$0")/../e2e/lib.sh"
here="$(cd "$(dirname "$0")" && pwd)"
[ -x /usr/bin/chromium ] || fail "Chromium is missing: test.sh installs Debian's chromium"
[ -d "$here/node_modules/puppeteer-core" ] || fail "puppeteer-core is missing: run 'npm ci' in tests/web (test.sh does)"
"$SERV" --port 9352 --bind 127.0.0.1 --web 0 >"$WORK/serv.log" 2>&1 &
SERV_PID=$!
for _ in $(seq 100); do grep -q 'listening on' "$WORK/serv.log" && break; sleep 0.1; done
web_port=$(sed -nE 's|.*web door on http://[^ ]*:([0-9]+)/.*|\1|p' "$WORK/serv.log")
[ -n "$web_port" ] || fail "no web door: $(cat "$WORK/serv.log")"
prepare v
# A piano: it rings on after the note-off, as a window plays the notes it receives.
sed -i "s/^instru=19$/instru=0/" "$WORK/v/config/velorin/velorin.ini"
start v; V=$PID
window "Velorin Piano"
sleep 1.5
# The pages join first, then the window connects; the script types into the
# window with xdotool and prints when it struck what.
WINDOW="$WINDOW" node "$here/browser_e2e.mjs" play "$web_port" "$WORK" | tee "$WORK/times" ||
  fail "the pages did not play: $(cat "$WORK/serv.log")"
sleep 0.5
finish "$V"
stop_child "$SERV_PID"
mapfile -t b < <(bursts v)
printf 'burst %s\n' "${b[@]}"
# The window heard the page's chord, the page's single note, its own chord
# and the chord of two fingers, in that order, seconds apart.
[ "${#b[@]}" -eq 4 ] || fail "expected four bursts in the window's sound, got ${#b[@]}"
read -r s1 _ <<<"${b[0]}"; read -r s2 _ <<<"${b[1]}"; read -r s3 _ <<<"${b[2]}"; read -r s4 _ <<<"${b[3]}"
read -r t1 t2 t3 t4 < <(sed -n 's/^struck //p' "$WORK/times")
# (Generous: a busy machine delays a note, never plays it early.)
between "$(calc "$s2 - $s1")" "$(calc "$t2 - $t1 - 0.3")" "$(calc "$t2 - $t1 + 0.6")" || fail "bursts $s1 and $s2 apart unlike $t1 $t2"
# Which notes sound: the strength of C4, D4, E4 and G4 in the first 0.3 s
# of a burst. The chords are C E G, the single note D.
pitches() {
  sox "$WORK/v/out.wav" -n trim "$1" 0.3 stat -freq 2>&1 | awk 'NF == 2 && $1 ~ /^[0-9.]+$/ {
    f = $1 + 0; a = $2 + 0
    if (f > 253 && f < 270) c += a; if (f > 285 && f < 302) d += a
    if (f > 321 && f < 338) e += a; if (f > 383 && f < 400) g += a
  } END { printf "%g %g %g %g\n", c, d, e, g }'
}
# A pitch sounds in a burst when it is several times stronger there than in
# a burst without it: the chords (C E G) against the single D, and back.
# G is left out: in this SoundFont it is weaker than what C and E spill
# into its band.
read -r c1 d1 e1 g1 <<<"$(pitches "$s1")"; read -r c2 d2 e2 g2 <<<"$(pitches "$s2")"
read -r c3 d3 e3 g3 <<<"$(pitches "$s3")"; read -r c4 d4 e4 g4 <<<"$(pitches "$s4")"
printf 'C D E G: page chord %s %s %s %s; page note %s %s %s %s; window chord %s %s %s %s; fingers %s %s %s %s\n' \
  "$c1" "$d1" "$e1" "$g1" "$c2" "$d2" "$e2" "$g2" "$c3" "$d3" "$e3" "$g3" "$c4" "$d4" "$e4" "$g4"
stronger() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > 4 * b) }'; }
stronger "$c1" "$c2" && stronger "$e1" "$e2" && stronger "$d2" "$d1" ||
  fail "the page's chord did not sound as a chord in the window"
stronger "$d2" "$d1" && stronger "$d2" "$d3" || fail "the page's note did not sound as D in the window"
stronger "$c3" "$c2" && stronger "$e3" "$e2" && stronger "$d2" "$d3" ||
  fail "the window's own chord did not sound as a chord"
stronger "$c4" "$c2" && stronger "$e4" "$e2" && stronger "$d2" "$d4" ||
  fail "two fingers did not sound as a chord in the window"
grep -q 'join 127.0.0.1:[0-9]* (room lobby)' "$WORK/serv.log" || fail "no join in the log"
echo "1 passed, 0 failed"
