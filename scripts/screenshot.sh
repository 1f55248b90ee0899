#!/usr/bin/env bash
# Takes the screenshot that the AppStream record names (data/screenshot.png):
# the built program's window under a private Xvfb, fresh settings, the
# synthesizer writing to a file. Usage: scripts/screenshot.sh [build folder]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build="${1:-build}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data/velorin" "$work/config/velorin" "$work/run"
chmod 700 "$work/run"
printf '0\r\n60\r\n1\r\n0\r\n100\r\n0\r\n' > "$work/data/velorin/instruments.ini"
printf '[synth]\naudio-driver=file\naudio-file=%s/out.wav\n' "$work" > "$work/config/velorin/velorin.ini"
XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" HOME="$work" \
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    . scripts/children.sh
    . scripts/xwait.sh
    map_watch "$3"
    "$1" >/dev/null 2>&1 & pid=$!
    window_named "Velorin Piano" 1 30 || { echo "no window" >&2; exit 1; }
    id=$(printf "%s\n" "$WINDOWS" | head -1)
    sleep 2  # the SoundFont loaded, the clock drawn
    import -window "$id" "$2"
    stop_child "$pid"' _ "$build/velorin" "$work/shot.png" "$work/maps"
# Metadata out, so the file changes only when the picture does.
convert "$work/shot.png" -strip data/screenshot.png
identify data/screenshot.png
