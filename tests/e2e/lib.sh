# Shared steps of the end-to-end runs: a private X server, private XDG
# folders, and Velorin writing its sound to a WAV file.
set -euo pipefail

VELORIN="$1"
ONSETS="$2"
SERV="${3:-}"
WORK="$(mktemp -d)"
# shellcheck source=../../scripts/children.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/children.sh"
# shellcheck source=../../scripts/xwait.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xwait.sh"
trap 'for p in $(jobs -p); do signal_child "$p" TERM || true; done; sleep 0.2; rm -rf "$WORK" 2>/dev/null || true' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

map_watch "$WORK/maps"

# prepare NAME: XDG folders for one Velorin under $WORK/NAME, a sustained
# organ sound (it ends exactly when the key is released), shipped settings.
prepare() {
  prepare_fresh "$1"
  mkdir -p "$WORK/$1/data/velorin"
  printf '0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n' > "$WORK/$1/data/velorin/instruments.ini"
}

# prepare_fresh NAME: the same without the keyboard settings, as a home that
# has never run Velorin.
prepare_fresh() {
  local home="$WORK/$1"
  mkdir -p "$home/config/velorin" "$home/run"
  chmod 700 "$home/run"
  cat > "$home/config/velorin/velorin.ini" <<INI
[instru]
instru=19
[synth]
audio-driver=file
audio-file=$home/out.wav
soundfont=/usr/share/sounds/sf2/TimGM6mb.sf2
INI
}

# start NAME [ARGS...]: starts Velorin for NAME in the background; sets PID.
start() {
  local name="$1"; shift
  local home="$WORK/$name"
  XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run" \
    QT_QPA_PLATFORM=xcb "$VELORIN" "$@" >"$home/log" 2>&1 &
  PID=$!
}

# window TITLE: waits for a window whose title matches and focuses it.
window() {
  local id=""
  window_named "$1" 1 30 || fail "no window named $1"
  id=$(printf '%s\n' "$WINDOWS" | head -1)
  xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
  WINDOW="$id"
}

# now: the wall clock in seconds.
now() { date +%s.%N; }

# hold KEY SECONDS: holds KEY down. Sets DOWN_A/DOWN_B and UP_A/UP_B, the
# times just before and just after the press and the release were sent: on a
# busy machine starting xdotool takes a while, so the checks take what was
# really played from these, not from the sleeps.
hold() {
  DOWN_A=$(now); xdotool keydown "$1"; DOWN_B=$(now)
  sleep "$2"
  UP_A=$(now); xdotool keyup "$1"; UP_B=$(now)
}

# calc EXPRESSION: its value, for numbers such as the times above.
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }

# finish PID: ends Velorin as a logout would, so that it closes its files.
finish() {
  signal_child "$1" TERM || fail "Velorin had ended before it was asked to"
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  fail "Velorin did not end"
}

# bursts NAME: the bursts of sound Velorin wrote, "start length" per line.
bursts() { "$ONSETS" "$WORK/$1/out.wav"; }

# How far a note's ends in out.wav may stray from its keys. The file driver
# renders on a thread of its own, paced by the clock; on a busy machine that
# thread falls behind and then catches up, so a note that starts while it is
# behind begins early in the file, and one that ends then, ends early (a 0.5-s
# note once measured 0.41 s while a browser started beside the test).
AUDIO_SLACK=0.15

# between X LOW HIGH: true when LOW <= X <= HIGH
between() { awk -v x="$1" -v l="$2" -v h="$3" 'BEGIN { exit !(x >= l && x <= h) }'; }

# near A B TOLERANCE: true when |A - B| <= TOLERANCE
near() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; if (d < 0) d = -d; exit !(d <= t) }'; }
