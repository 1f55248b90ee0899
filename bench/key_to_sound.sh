#!/usr/bin/env bash
# Key to sound as a musician hears it, through a real sound server:
#   bench/key_to_sound.sh [PRESSES] [CURVE_PRESSES]    (CURVE_PRESSES 0: no curve)
# A private PulseAudio with a null sink for each program; keys sent with
# XTEST (stamped after XFlush) to Velorin, vmpk (its FluidSynth back-end) and
# a floor client in C that writes a tone straight to the server; each sink's
# monitor captured by `parec --latency-msec=1`, each chunk stamped as it
# arrives (build/bench_key_to_sound). The three take turns in blocks of 40
# presses, PRESSES each (200), once on the quiet machine and once with one
# core kept busy; then Velorin alone over the buffer sizes it offers and the
# drivers beside its own, CURVE_PRESSES each (40; 0 leaves them out). Prints a table in
# Markdown: latency from the key to the first sound (median, p90, p99,
# worst), the same above the floor's median, and the notes with a dropout
# (a gap of silence of 1 ms or more while the key was held).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
presses="${1:-200}"
curve_presses="${2:-40}"
hold_ms=300

if [ -z "${KEY_TO_SOUND_INNER:-}" ]; then
  # What the benchmark needs, beside the build's own packages: the sound
  # server and its tools, the peer, ALSA's plugin for the ALSA row, and the
  # headers of the trigger and the floor client.
  VELORIN_SETUP_EXTRA="xvfb xauth xdotool x11-utils pulseaudio pulseaudio-utils libasound2-plugins vmpk libx11-dev libxtst-dev libpulse-dev ${VELORIN_SETUP_EXTRA:-}" \
    ./scripts/setup.sh >/dev/null
  cmake -S . -B build >/dev/null
  cmake --build build --target velorin velorin_synth bench_key_to_sound bench_floor_click >/dev/null
  exec env KEY_TO_SOUND_INNER=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

. scripts/children.sh
. scripts/xwait.sh

work="$(mktemp -d)"
children=()
cleanup() {
  for p in "${children[@]}"; do stop_child "$p"; done
  # KEY_TO_SOUND_LOGS=FOLDER keeps the programs' and the server's logs.
  [ -n "${KEY_TO_SOUND_LOGS:-}" ] && cp "$work"/*.log "$KEY_TO_SOUND_LOGS"/ 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
mkdir -p "$XDG_CONFIG_HOME/pulse" "$XDG_CONFIG_HOME/velorin" "$XDG_DATA_HOME/velorin" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset PULSE_SERVER PULSE_SINK
map_watch "$work/maps"

# The sound server: 48 kHz, as PipeWire runs, real-time where it is granted,
# a null sink per program.
printf 'default-sample-rate = 48000\nrealtime-scheduling = yes\nexit-idle-time = -1\n' > "$XDG_CONFIG_HOME/pulse/daemon.conf"
cat > "$work/server.pa" <<PA
load-module module-native-protocol-unix
load-module module-null-sink sink_name=k_velorin rate=48000
load-module module-null-sink sink_name=k_vmpk rate=48000
load-module module-null-sink sink_name=k_floor rate=48000
PA
pulseaudio -n -F "$work/server.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
  --log-target=file:"$work/pulse.log" >/dev/null 2>&1 &
children+=($!)
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null || { echo "the sound server did not start" >&2; exit 1; }
# The measuring rig, the sound server and the X server, runs real-time where
# that is granted (as root, or with a real-time limit), every thread of it,
# so that what other jobs on the machine do shows in the programs measured
# rather than in the rig; the log says whether it did.
rig_realtime="no"
xvfb_pid=$(tr -dc '0-9' < "/tmp/.X${DISPLAY#:}-lock" 2>/dev/null || true)
if chrt -a -f -p 20 "${children[0]}" 2>/dev/null && [ -n "$xvfb_pid" ] && chrt -a -f -p 20 "$xvfb_pid" 2>/dev/null; then
  rig_realtime="yes"
fi
# ALSA's default device goes to the server, for the row of the alsa driver.
printf 'pcm.!default { type pulse }\nctl.!default { type pulse }\n' > "$HOME/.asoundrc"

soundfont=$(readlink -f /usr/share/sounds/sf2/default-GM.sf2)
printf '0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n' > "$XDG_DATA_HOME/velorin/instruments.ini"

# velorin_ini [KEY=VALUE...]: the synthesizer's settings; the grand piano,
# as vmpk plays it, so that both are timed on the same sound. (An organ
# would be unfair: its attack takes about 10 ms to reach the onset level.)
velorin_ini() {
  { printf '[instru]\ninstru=0\n[synth]\nsoundfont=%s\n' "$soundfont"; printf '%s\n' "$@"; } \
    > "$XDG_CONFIG_HOME/velorin/velorin.ini"
}

# start_velorin [KEY=VALUE...]: sets VELORIN_PID and VELORIN_WINDOW.
start_velorin() {
  velorin_ini "$@"
  : > "$work/velorin.log"
  QT_MESSAGE_PATTERN='%{time hh:mm:ss.zzz} %{category}: %{message}' \
    PULSE_SINK=k_velorin QT_QPA_PLATFORM=xcb build/velorin > "$work/velorin.log" 2>&1 &
  VELORIN_PID=$!
  children+=($VELORIN_PID)
  window_named "Velorin Piano" 1 30 || { echo "no Velorin window" >&2; exit 1; }
  VELORIN_WINDOW=$(printf '%s\n' "$WINDOWS" | head -1)
  for _ in $(seq 100); do grep -q "SoundFont loaded" "$work/velorin.log" && break; sleep 0.1; done
  grep -q "SoundFont loaded" "$work/velorin.log" || { echo "Velorin did not load its SoundFont:" >&2; cat "$work/velorin.log" >&2; exit 1; }
  sleep 1
}
stop_velorin() { stop_child "$VELORIN_PID"; }

# vmpk with its FluidSynth back-end at its defaults, playing to its own sink.
start_vmpk() {
  local conf="$XDG_CONFIG_HOME/vmpk.sourceforge.net"
  mkdir -p "$conf"
  cat > "$conf/VMPK.conf" <<CONF
[Connections]
InEnabled=false
OutputDriver=FluidSynth
OutPort=FluidSynth
[FluidSynth]
AudioDriver=pulseaudio
InstrumentsDefinition=$soundfont
CONF
  PULSE_SINK=k_vmpk QT_QPA_PLATFORM=xcb vmpk > "$work/vmpk.log" 2>&1 &
  VMPK_PID=$!
  children+=($VMPK_PID)
  window_named "Virtual MIDI Piano Keyboard" 1 30 || { echo "no vmpk window" >&2; exit 1; }
  VMPK_WINDOW=$(printf '%s\n' "$WINDOWS" | head -1)
  sleep 3
}

start_floor() {
  PULSE_SINK=k_floor build/bench_floor_click > "$work/floor.log" 2>&1 &
  children+=($!)
  window_named "floor click" 1 30 || { echo "no floor window" >&2; exit 1; }
  FLOOR_WINDOW=$(printf '%s\n' "$WINDOWS" | head -1)
}

busy=""
busy_start() { bash -c 'while :; do :; done' & busy=$!; children+=($busy); }
busy_stop() { stop_child "$busy"; busy=""; }

rows=()
# report CONDITION OUTPUT: rows for each program, with the floor's median subtracted.
report() {
  local condition="$1" output="$2" floor
  floor=$(awk '$1 == "floor" { print $7 }' <<<"$output")
  while read -r name _ n _ heard _ med _ p90 _ p99 _ worst _ drops _ gap; do
    local above
    above=$(awk -v a="$med" -v b="$p99" -v f="$floor" 'BEGIN { printf "%.2f / %.2f", a - f, b - f }')
    rows+=("| $name | $condition | $n ($heard heard) | $med | $p90 | $p99 | $worst | $above | $drops | $gap |")
    echo "$condition: $name: median $med, p99 $p99, worst $worst ms; $drops of $n with a dropout" >&2
  done <<<"$output"
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
start_floor
start_vmpk
start_velorin
programs=(velorin="$VELORIN_WINDOW@k_velorin" vmpk="$VMPK_WINDOW@k_vmpk" floor="$FLOOR_WINDOW@k_floor")
# When each part began, beside the programs' own logs.
phase() { echo "$(date +%T.%3N) $*" >> "$work/phases.log"; }
phase "quiet run"
out=$(build/bench_key_to_sound "$presses" 40 "$hold_ms" "${programs[@]}")
report "quiet" "$out"
phase "one core busy"
busy_start
out=$(build/bench_key_to_sound "$presses" 40 "$hold_ms" "${programs[@]}")
busy_stop
phase "runs done"
report "one core busy" "$out"
ps -eLo pid,tid,cls,rtprio,comm > "$work/threads.log"
underruns=$(grep -c "sound underrun" "$work/velorin.log" || true)
grown=$(grep "sound underrun" "$work/velorin.log" | tail -1 | sed -E 's/.*(buffer[^;]*)$/\1/' || true)
stream=$(grep -m1 "sound server stream" "$work/velorin.log" | sed -E 's/.*(sound server stream.*)/\1/' || true)
cp "$work/velorin.log" "$work/velorin-main.log"
stop_velorin

# Velorin alone: the sizes it offers, and the other drivers on the same server.
curve() {
  local label="$1"; shift
  start_velorin "$@"
  local o
  o=$(build/bench_key_to_sound "$curve_presses" 40 "$hold_ms" velorin="$VELORIN_WINDOW@k_velorin" floor="$FLOOR_WINDOW@k_floor")
  report "$label" "$o"
  stop_velorin
  # Only Velorin's row of a curve run is kept.
  unset 'rows[${#rows[@]}-1]'
}
if [ "$curve_presses" -gt 0 ]; then
  for size in "32 2" "64 2" "64 4" "128 2" "128 4" "256 4" "512 8"; do
    read -r p n <<<"$size"
    curve "pulseaudio ${p}x${n}" "period-size=$p" "periods=$n"
  done
  curve "alsa 64x4 (through ALSA's pulse plugin)" "audio-driver=alsa"
  curve "alsa 256x4 (through ALSA's pulse plugin)" "audio-driver=alsa" "period-size=256"
fi
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

echo
echo "Measured $(date -u +%Y-%m-%d) on $(nproc) cores; load average $load_before at the start, $load_after at the end."
echo "Sound server and X server real-time: $rig_realtime. Velorin's $stream; $underruns underruns in the two main runs${grown:+ (last: $grown)}."
echo
echo "| Program | Condition, setting | Presses | Median ms | p90 ms | p99 ms | Worst ms | Median / p99 above the floor ms | Notes with a dropout | Longest gap ms |"
echo "|---|---|---|---|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
