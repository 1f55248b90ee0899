# Sourced by the test and benchmark scripts. A script signals only a child it
# started, and only while that child still runs: a pid that is empty, 0 or
# negative would reach a whole process group (the test run, the shell).

# signal_child PID [SIGNAL]: sends SIGNAL (TERM by default) to PID when it is
# a running child; true when it was sent.
signal_child() {
  local pid="${1:-}" sig="${2:-TERM}"
  [[ "$pid" =~ ^[1-9][0-9]*$ ]] || return 1
  kill -0 "$pid" 2>/dev/null || return 1
  kill "-$sig" "$pid" 2>/dev/null
}

# stop_child PID: asks PID to end, waits for it up to 10 s, then kills it.
stop_child() {
  local pid="${1:-}"
  signal_child "$pid" TERM || { wait "$pid" 2>/dev/null || true; return 0; }
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null || true; return 0; }
    sleep 0.1
  done
  signal_child "$pid" KILL || true
  wait "$pid" 2>/dev/null || true
}
