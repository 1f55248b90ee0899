# Waiting for windows without knocking the X server over: one X client (xev)
# listens for every top-level window that is mapped, and the waits read its
# report. Opening a new X client every few milliseconds instead makes other
# programs' connections to the server fail.
# Source this file; it needs bash 5 ($EPOCHREALTIME), xev, stdbuf and xdotool.

# map_watch FILE: reports each window mapped from now on as a line in FILE.
map_watch() {
  MAP_FILE="$1"
  : > "$MAP_FILE"
  stdbuf -oL xev -root -event substructure 2>/dev/null | grep --line-buffered '^MapNotify' > "$MAP_FILE" &
  # xev needs a moment to select its events; a window mapped before that is
  # still found by the look that window_named makes every second.
  sleep 0.3
}

# window_named TITLE [COUNT] [SECONDS]: waits until COUNT (1) visible windows
# whose title matches TITLE exist and sets WINDOWS to their ids, one a line.
# It looks with one xdotool when a window was mapped, and at least once a
# second; it gives up after SECONDS (30).
window_named() {
  local title="$1" count="${2:-1}" seconds="${3:-30}"
  local seen=-1 maps looked_at=0 deadline now
  deadline=$(( ${EPOCHREALTIME/./} + seconds * 1000000 ))
  WINDOWS=""
  while :; do
    now=${EPOCHREALTIME/./}
    maps=$(wc -l < "$MAP_FILE" 2>/dev/null || echo 0)
    if [ "$maps" != "$seen" ] || [ $(( now - looked_at )) -ge 1000000 ]; then
      seen=$maps
      looked_at=$now
      WINDOWS=$(xdotool search --onlyvisible --name "$title" 2>/dev/null || true)
      [ -n "$WINDOWS" ] && [ "$(printf '%s\n' "$WINDOWS" | wc -l)" -ge "$count" ] && return 0
    fi
    [ "$now" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}
