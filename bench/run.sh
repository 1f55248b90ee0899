#!/usr/bin/env bash
# Builds the benchmarks and prints one table of what Velorin measures, each
# row with the command that measured it. Peers are Debian's vmpk, ncat and
# fluidsynth. Usage: bench/run.sh [--quick]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
. scripts/children.sh
VELORIN_SETUP_EXTRA="xvfb xauth xdotool x11-utils vmpk ncat fluidsynth jackd2 chromium ${VELORIN_SETUP_EXTRA:-}" ./scripts/setup.sh >/dev/null
if [ ! -f tests/web/node_modules/.package-lock.json ] || [ tests/web/package-lock.json -nt tests/web/node_modules/.package-lock.json ]; then
  (cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
fi
quick=0; [ "${1:-}" = "--quick" ] && quick=1
idle_seconds=30; [ $quick = 1 ] && idle_seconds=5
fan_seconds=5; [ $quick = 1 ] && fan_seconds=2
startup_runs=5; [ $quick = 1 ] && startup_runs=3
midi_rounds=2000; [ $quick = 1 ] && midi_rounds=300

work="$(mktemp -d)"
j=""
# The JACK server goes with the run, also when a step fails.
trap 'stop_child "$j"; rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" HOME="$work"
mkdir -p "$XDG_DATA_HOME/velorin" "$XDG_CONFIG_HOME/velorin" "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
soundfont=$(readlink -f /usr/share/sounds/sf2/default-GM.sf2)
synth_ini() {  # the built-in synthesizer writing to a file: the same work as playing to a sound card
  printf '[synth]\naudio-driver=file\naudio-file=%s\nsoundfont=%s\n' "$work/out.wav" "$soundfont" > "$XDG_CONFIG_HOME/velorin/velorin.ini"
}
nosynth_ini() { printf '[midi]\noutput=no such port\n' > "$XDG_CONFIG_HOME/velorin/velorin.ini"; }
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

rows=()
row() { rows+=("| $1 | $2 | \`$3\` |"); echo "$1: $2" >&2; }

# Key event to MIDI message.
out=$(build/bench_key_to_midi 2>/dev/null | tail -1)
row "key event to MIDI message (recording output)" \
    "median $(sed -E 's/.*median ([0-9.]+) us.*/\1/' <<<"$out") µs, p99 $(sed -E 's/.*p99 ([0-9.]+) us.*/\1/' <<<"$out") µs" \
    "build/bench_key_to_midi"

# The take's cost on the key's path, and the tee alone.
take_seconds=60; [ $quick = 1 ] && take_seconds=10
out=$(build/bench_take_cost "$take_seconds" 2>/dev/null | grep -E "^(tee, recording|key event|take replay)")
row "replay of a take over $take_seconds s (real clock)" \
    "late p99 $(sed -nE 's/^take replay.*p99 ([0-9.]+) ms.*/\1/p' <<<"$out") ms, worst $(sed -nE 's/^take replay.*worst ([0-9.]+) ms.*/\1/p' <<<"$out") ms, at the end $(sed -nE 's/^take replay.*at the end ([-0-9.]+) ms.*/\1/p' <<<"$out") ms" \
    "build/bench_take_cost $take_seconds"
row "keeping a take, per message through the tee (real clock)" \
    "median $(sed -nE 's/^tee, recording: median ([0-9]+) ns.*/\1/p' <<<"$out") ns, p99 $(sed -nE 's/^tee, recording: .*p99 ([0-9]+) ns.*/\1/p' <<<"$out") ns" \
    "build/bench_take_cost"
row "key event to MIDI message with Record on (log and take) vs off" \
    "median $(sed -nE 's/^key event.*Record on.*median ([0-9.]+) us.*/\1/p' <<<"$out") vs $(sed -nE 's/^key event.*Record off: median ([0-9.]+) us.*/\1/p' <<<"$out") µs" \
    "build/bench_take_cost"

# MIDI keyboard to synthesizer: a source port on a private JACK server (dummy
# driver, 128 frames at 48 kHz) plays into Velorin's input port.
jack_server="velorin-bench-$$"
JACK_DEFAULT_SERVER="$jack_server" jackd --no-realtime -d dummy -r 48000 -p 128 >/dev/null 2>&1 & j=$!
if JACK_DEFAULT_SERVER="$jack_server" jack_wait -w -t 10 >/dev/null; then
  out=$(JACK_DEFAULT_SERVER="$jack_server" build/bench_midi_in_latency "$midi_rounds" 2>/dev/null | tail -1)
  row "MIDI keyboard to synthesizer, time added by Velorin (JACK source, built-in synthesizer)" \
      "median $(sed -E 's/.*messages, median ([0-9.]+) us.*/\1/' <<<"$out") µs, p99 $(sed -E 's/.*p99 ([0-9.]+) us, max.*/\1/' <<<"$out") µs, worst $(sed -E 's/.*max ([0-9.]+) us.*/\1/' <<<"$out") µs" \
      "build/bench_midi_in_latency $midi_rounds (jackd --no-realtime -d dummy -p 128)"
  # Fast playing: every note-on that reaches the input goes on, and no key
  # stays lit but for a note-off the busy server dropped.
  while read -r line; do
    row "MIDI keyboard at speed: $(sed -E 's/^throughput ([^:]*):.*/\1/' <<<"$line")" \
        "$(sed -E 's/^throughput [^:]*: sent ([0-9]+) messages, ([0-9]+) reached.*\(([0-9]+) note-ons\), ([0-9]+) note-ons went.*; ([0-9]+) keys left lit; a plain client received ([0-9]+)/\4 of \3 note-ons on (\2 of \1 messages reached the input, \6 a plain RtMidi client), \5 keys lit after/' <<<"$line")" \
        "build/bench_midi_in_latency throughput"
  done < <(JACK_DEFAULT_SERVER="$jack_server" build/bench_midi_in_latency throughput 2>/dev/null | grep '^throughput')
fi
stop_child "$j"

# Replay accuracy.
if [ $quick = 0 ]; then
  out=$(build/bench_replay_accuracy 2>/dev/null | tail -1)
  row "replay of a 2,000-line log (real clock)" \
      "error p99 $(sed -E 's/.*p99 ([0-9.]+) ms.*/\1/' <<<"$out") ms, worst $(sed -E 's/.*worst ([0-9.]+) ms.*/\1/' <<<"$out") ms, drift $(sed -E 's/.*drift at the end ([-0-9.]+) ms.*/\1/' <<<"$out") ms" \
      "build/bench_replay_accuracy"
fi

# Relay fan-out: serv against ncat --broker, the same generator driving both.
relay_runs=3; [ $quick = 1 ] && relay_runs=1
mapfile -t relay_rows < <(bench/relay_vs_ncat.sh "$fan_seconds" "$relay_runs")
rows+=("${relay_rows[@]}")
# The same relay with the web door on, in the same run.
mapfile -t door_rows < <(bench/relay_with_door.sh "$fan_seconds" "$relay_runs")
rows+=("${door_rows[@]}")

# Browser players in rooms through one web door and two: the capacity curve.
door_seconds=10; [ $quick = 1 ] && door_seconds=3
door_loads=(120 240 480 960 1440 1920); [ $quick = 1 ] && door_loads=(120 960)
mapfile -t capacity_rows < <(bench/door_capacity.sh "$door_seconds" "${door_loads[@]}")
rows+=("${capacity_rows[@]}")

# A note from the browser through the web door to a window's connection.
out=$(bench/browser_latency.sh 400 2>/dev/null | tail -1) || out=""
[ -n "$out" ] && row "note from the page in Chromium through serv's web door to a window's connection (400 notes)" \
    "$(sed -E 's/^browser -> serv -> window: 400 notes, //' <<<"$out")" "bench/browser_latency.sh 400"

# Start-up and peak memory under one Xvfb.
synth_ini
# Each program's first start is not counted (bench/startup.sh): Velorin's
# desktop records are then in place, as on every start but the very first.
# Three rounds, the programs taking turns in each, so that a change in the
# machine's load touches all of them alike; each round's medians compared.
rounds=3
xvfb-run -a -s "-screen 0 1024x768x24" bash -c "
  for r in \$(seq $rounds); do
    bench/startup.sh $startup_runs build/velorin > '$work/velorin.'\$r.txt
    bench/startup.sh $startup_runs build/bench_bare_window > '$work/bare.'\$r.txt
    bench/startup.sh $startup_runs vmpk > '$work/vmpk.'\$r.txt
  done"
ratios=(); within=0
for r in $(seq $rounds); do
  v=$(cut -d' ' -f1 "$work/velorin.$r.txt" | median); b=$(cut -d' ' -f1 "$work/bare.$r.txt" | median)
  ratio=$(awk -v a="$v" -v b="$b" 'BEGIN{printf "%.2f", a/b}')
  ratios+=("$v/$b s = $ratio")
  awk -v x="$ratio" 'BEGIN{exit !(x <= 1.2)}' && within=$((within + 1))
done
cat "$work"/velorin.*.txt > "$work/velorin.txt"; cat "$work"/bare.*.txt > "$work/bare.txt"; cat "$work"/vmpk.*.txt > "$work/vmpk.txt"
vs=$(cut -d' ' -f1 "$work/velorin.txt" | median); vm=$(cut -d' ' -f2 "$work/velorin.txt" | median)
bs=$(cut -d' ' -f1 "$work/bare.txt" | median)
ps=$(cut -d' ' -f1 "$work/vmpk.txt" | median); pm=$(cut -d' ' -f2 "$work/vmpk.txt" | median)
row "start-up to the window's MapNotify, $rounds rounds of $startup_runs, taking turns (Velorin with the built-in synthesizer vs a bare Qt window of its size vs vmpk)" \
    "medians $vs s vs $bs s vs $ps s (Velorin/bare $(awk -v a="$vs" -v b="$bs" 'BEGIN{printf "%.2f", a/b}'), vmpk/Velorin $(awk -v a="$ps" -v b="$vs" 'BEGIN{printf "%.2f", a/b}')); per round Velorin/bare ${ratios[*]}; within 1.2x in $within of $rounds" \
    "xvfb-run bench/startup.sh $startup_runs build/velorin; … build/bench_bare_window; … vmpk"
row "peak resident memory, median (Velorin with $(basename "$soundfont") loaded vs vmpk)" \
    "$((vm / 1024)) MB vs $((pm / 1024)) MB (ratio $(awk -v a="$vm" -v b="$pm" 'BEGIN{printf "%.2f", a/b}'))" \
    "same runs, VmHWM from /proc"

# Idle CPU.
nosynth_ini
c1=$(xvfb-run -a bench/idle_cpu.sh "$idle_seconds" build/velorin)
synth_ini
c2=$(xvfb-run -a bench/idle_cpu.sh "$idle_seconds" build/velorin)
c3=$(bench/idle_cpu.sh "$idle_seconds" fluidsynth -q -i -s -a file -o audio.file.name="$work/fs.wav" \
       -o audio.period-size=64 -o audio.periods=4 -o synth.dynamic-sample-loading=1 "$soundfont")
row "idle CPU over ${idle_seconds} s, % of one core" \
    "Velorin without synthesizer $c1 %, with $c2 %; fluidsynth alone $c3 %" \
    "xvfb-run bench/idle_cpu.sh $idle_seconds build/velorin; bench/idle_cpu.sh $idle_seconds fluidsynth -i -s -a file …"

echo
echo "Measured $(date -u +%Y-%m-%d) on $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo), $(free -g | awk '/Mem:/ {print $2}') GiB, Debian $(cat /etc/debian_version)."
echo
echo "| What | Result | Command |"
echo "|---|---|---|"
printf '%s\n' "${rows[@]}"
