#!/usr/bin/env bash
# Velorin as a package installs it (cmake --install, stripped, into a
# temporary prefix the desktop reads), started from a fresh home: the
# command line, the AppStream record, the shipped keyboard settings (Z plays
# note 60), a file handed to the running window by a second start, and the
# desktop's own settings left as they were.
. "$(dirname "$0")/lib.sh"
# With VELORIN_DEB naming a package (cpack -G DEB), its contents unpacked
# into a temporary root are checked instead.
build="$(dirname "$VELORIN")"
if [ -n "${VELORIN_DEB:-}" ]; then
  dpkg-deb -x "$VELORIN_DEB" "$WORK/root" || fail "cannot unpack $VELORIN_DEB"
  prefix="$WORK/root/usr"
else
  prefix="$WORK/prefix"
  cmake --install "$build" --prefix "$prefix" --strip >/dev/null || fail "cmake --install failed"
fi
size=$(du -sk "$prefix" | cut -f1)
[ "$size" -lt 5120 ] || fail "the installation takes $size kB, more than 5 MB"
velorin="$prefix/bin/velorin"

# The command line, answered without a window.
[[ "$(DISPLAY= "$velorin" --version)" == "velorin "[0-9]* ]] || fail "--version"
DISPLAY= "$velorin" -h | grep -q -- "--version" || fail "-h"
set +e
err=$(DISPLAY= "$velorin" --bogus 2>&1 >/dev/null); rc=$?
set -e
[ "$rc" -eq 2 ] || fail "an unknown option ended with $rc, not 2"
grep -q -- "'--bogus'" <<<"$err" || fail "the unknown option is not named: $err"

# The README for those who play goes with the documents, the builders' sections left out.
readme=$(zcat "$prefix/share/doc/velorin/README.md.gz") || fail "no README in share/doc/velorin"
grep -q '^## Playing$' <<<"$readme" && ! grep -q '^## Development$' <<<"$readme" ||
  fail "share/doc/velorin/README.md.gz is not the README's part for those who play"

if command -v appstreamcli >/dev/null; then
  report=$(appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml 2>&1) ||
    fail "appstreamcli validate: $report"
  ! grep -qE '^(E|W):' <<<"$report" || fail "appstreamcli validate: $report"
fi

# A fresh home, with a default of the user's own for sequence files and the
# menu entry an earlier start of Velorin wrote.
home="$WORK/i"
prepare_fresh i
mkdir -p "$home/data/applications"
printf '[Default Applications]\napplication/x-velorin-sequence=other.desktop\n' > "$home/config/mimeapps.list"
cp "$home/config/mimeapps.list" "$WORK/mimeapps.before"
cat > "$home/data/applications/velorin.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=Velorin
GenericName=MIDI Piano
Comment=Play a MIDI piano with the computer keyboard and the mouse
Exec=$home/data/velorin/velorin %f
Icon=velorin
Terminal=false
Categories=AudioVideo;Audio;Midi;
MimeType=application/x-velorin-sequence;
ENTRY
run() {
  HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run" \
    XDG_DATA_DIRS="$prefix/share:/usr/share" QT_QPA_PLATFORM=xcb exec "${program:-$velorin}" "$@"
}

# The installation's updater copies nothing into the midi folder unless
# asked to: the package manager updates the installed Velorin.
"$prefix/lib/velorin/update" --help | grep -q -- "--copy" || fail "update --help"
set +e
err=$(program="$prefix/lib/velorin/update" run 2>&1 >/dev/null); rc=$?
set -e
[ "$rc" -eq 1 ] || fail "the installation's update ended with $rc, not 1: $err"
grep -q "package manager" <<<"$err" || fail "update did not say who updates Velorin: $err"
[ ! -e "$home/data/velorin" ] || fail "the installation's update wrote into the midi folder"
(program="$prefix/lib/velorin/update" run --copy) || fail "update --copy failed"
[ -x "$home/data/velorin/velorin" ] || fail "update --copy wrote no program"
# The copy as an earlier update left it, older than the installed program.
rm "$home/data/velorin/instruments.ini"
touch -d 2001-01-01 "$home/data/velorin/velorin"

# A MIDI keyboard named in the settings: the MIDI ports' library loads from
# the installation (this machine may have no MIDI system to find it in).
printf '[midi]\ninput=velorin-installed-keys\n' >> "$home/config/velorin/velorin.ini"
run >"$home/log" 2>&1 &
PID=$!
window "Velorin Piano"
# The window's own icon, for taskbars that show it: set just after the window
# is first drawn, so asked for a few times.
for _ in $(seq 20); do
  icons=$(xprop -id "$WINDOW" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
  [[ "$icons" == *"Icon (128 x 128)"* ]] && break
  sleep 0.25
done
[[ "$icons" == *"Icon (16 x 16)"*"Icon (128 x 128)"* ]] || fail "the window's _NET_WM_ICON holds: $icons"
maps=$(grep -o '/[^ ]*/velorin-midi.so' "/proc/$PID/maps" | sort -u)
[ "$maps" = "$prefix/lib/velorin/midi/velorin-midi.so" ] ||
  fail "the MIDI ports' library was not the installation's: ${maps:-none loaded}"
sleep 1.5
hold z 0.5
sleep 0.8

# A second start with a file: it ends, and the running window replays the file.
printf '0: 30\r\nS: 50\r\n4: 30\r\n' > "$WORK/tune.mus"
run "$WORK/tune.mus" >"$home/log2" 2>&1 &
second=$!
for _ in $(seq 150); do kill -0 "$second" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$second" 2>/dev/null || fail "the second start did not end by itself"
wait "$second" || fail "the second start failed: $(cat "$home/log2")"
kill -0 "$PID" 2>/dev/null || fail "the running Velorin ended"
sleep 2.5
finish "$PID"

! grep -q "no MIDI ports" "$home/log" || fail "the MIDI ports' library did not load: $(cat "$home/log")"
grep -qE "no MIDI input yet|MIDI source velorin-installed-keys" "$home/log" ||
  fail "the MIDI keyboard was not looked for: $(cat "$home/log")"
printf '0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n' | cmp - "$home/data/velorin/instruments.ini" ||
  fail "the first start did not get the shipped keyboard settings"
cmp "$WORK/tune.mus" "$home/data/velorin/piano.ini" || fail "the handed-over file did not become the recording"
mapfile -t b < <("$ONSETS" "$home/out.wav" pitch 200 330)
printf '%s\n' "${b[@]}"
[ "${#b[@]}" -eq 3 ] || fail "expected Z and the file's two notes, got ${#b[@]} bursts"
# Note 60 is 261.6 Hz; 59 would be 246.9 Hz and 61 277.2 Hz.
for burst in 0 1; do
  read -r _ _ hz <<<"${b[$burst]}"
  between "$hz" 254 269 || fail "burst $burst sounds at $hz Hz, not note 60 (261.6 Hz)"
done

# The desktop's own records stay; Velorin's old entry, hiding the installed one, went.
[ ! -e "$home/data/applications/velorin.desktop" ] || fail "the old own menu entry is still there"
cmp "$WORK/mimeapps.before" "$home/config/mimeapps.list" || fail "the user's default for .mus files changed"
grep -qF "@=\"\\\"$prefix/lib/velorin/velorin\\\" \\\"%1\\\"\"" "$home/data/velorin/registry.hive" ||
  fail "the hive does not name the program that ran: $(cat "$home/data/velorin/registry.hive")"

# The old copy, started all the same, says that the installed Velorin is the
# one the desktop starts now, and leaves the desktop's records to it.
program="$home/data/velorin/velorin" run >"$home/log3" 2>&1 &
PID=$!
window_named '^velorin$' 1 30 || fail "the old copy did not tell of the newer Velorin: $(cat "$home/log3")"
finish "$PID"
[ ! -e "$home/data/applications/velorin.desktop" ] || fail "the old copy wrote a menu entry of its own"
grep -qF "@=\"\\\"$prefix/lib/velorin/velorin\\\" \\\"%1\\\"\"" "$home/data/velorin/registry.hive" ||
  fail "the hive does not name the newer installed program: $(cat "$home/data/velorin/registry.hive")"
echo "1 passed, 0 failed"
