#!/usr/bin/env bash
# The README's nginx configurations as they stand, on Debian's nginx with a
# certificate made here, on free ports, in front of the real serv: a page in
# Debian's Chromium (headless, puppeteer-core) loads over https and joins over
# wss, a window's connection hears it; a bad address shows a page that says
# "Not found"; a second visit keeps the SoundFont (304). Then the scale-out:
# two servers behind one nginx, rooms spread over both, each heard only by
# its own members.
# Usage: proxy_e2e.sh SERV README
set -euo pipefail
SERV="$1"
README="$2"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../../scripts/children.sh"
WORK="$(mktemp -d)"
pids=()
trap 'for p in "${pids[@]}"; do stop_child "$p"; done; rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; for f in "$WORK"/*.log; do echo "== $f" >&2; tail -20 "$f" >&2; done; exit 1; }
command -v nginx >/dev/null || PATH="$PATH:/usr/sbin"
command -v nginx >/dev/null || fail "nginx is missing: test.sh installs Debian's nginx"
[ -x /usr/bin/chromium ] || fail "Chromium is missing: test.sh installs Debian's chromium"
[ -d "$here/node_modules/puppeteer-core" ] || fail "puppeteer-core is missing: run 'npm ci' in tests/web (test.sh does)"

# A certificate for this run only, and its key's hash, which the browser is
# told to trust.
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=127.0.0.1" -addext "subjectAltName=IP:127.0.0.1" \
  -keyout "$WORK/key.pem" -out "$WORK/cert.pem" 2>/dev/null
spki=$(openssl x509 -in "$WORK/cert.pem" -pubkey -noout | openssl pkey -pubin -outform der | openssl dgst -sha256 -binary | base64)

# start_serv NAME ARGS...: serv on free ports; sets TCP and WEB.
start_serv() {
  local name="$1"; shift
  "$SERV" "$@" >"$WORK/$name.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 200); do grep -q 'listening on' "$WORK/$name.log" && break; sleep 0.05; done
  TCP=$(sed -nE 's/.*listening on [^ ]*:([0-9]+)$/\1/p' "$WORK/$name.log" | head -1)
  WEB=$(sed -nE 's|.*web door on http://[^ ]*:([0-9]+)/.*|\1|p' "$WORK/$name.log" | head -1)
  [ -n "$TCP" ] && [ -n "$WEB" ] || fail "$name did not start"
}

# The README's serv lines, on free ports.
mapfile -t lines < <(sed -nE 's|^build/serv (.*--web-trusted-proxy.*)$|\1|p' "$README")
[ "${#lines[@]}" -eq 3 ] || fail "expected the README's three serv lines behind a proxy, found ${#lines[@]}"
free() { sed -E 's/--port [0-9]+/--port 0/; s/--web [0-9]+/--web 0/' <<<"$1"; }
# shellcheck disable=SC2046
start_serv alone --port 0 --bind 127.0.0.1 $(free "${lines[0]}"); alone_tcp=$TCP alone_web=$WEB
# shellcheck disable=SC2046
start_serv lobby --bind 127.0.0.1 $(free "${lines[1]}"); lobby_web=$WEB
# shellcheck disable=SC2046
start_serv rooms $(free "${lines[2]}"); rooms_web=$WEB

# conf NAME PORT: the README's site as nginx.conf for NAME on PORT.
conf() {
  python3 - "$README" "$1" "$2" "$WORK" "$alone_web" "$lobby_web" "$rooms_web" <<'PY'
import re, sys
readme, name, port, work, alone, lobby, rooms = sys.argv[1:]
site, upstreams, extra = re.findall(r"```nginx\n(.*?)```", open(readme).read(), re.S)[:3]
site = site.replace("listen 443 ssl;", f"listen 127.0.0.1:{port} ssl;")
site = site.replace("/etc/ssl/piano.example.org/fullchain.pem", f"{work}/cert.pem")
site = site.replace("/etc/ssl/piano.example.org/privkey.pem", f"{work}/key.pem")
if name == "alone":
    site = site.replace("127.0.0.1:8080", f"127.0.0.1:{alone}")
else:
    # The scale-out as the README tells it: the upstreams before the site,
    # its lines for the whole site and the rooms before "location /", whose
    # proxying lines the rooms' location repeats, and the lobby for "/".
    location = re.search(r"    location / \{\n(.*?)    \}\n", site, re.S).group(1)
    same = "".join(l for l in location.splitlines(True) if "proxy_pass" not in l)
    extra = re.sub(r"        # \.\.\. the same.*\n.*\n", same, extra)
    upstreams = upstreams.replace("127.0.0.1:8080", f"127.0.0.1:{lobby}").replace("127.0.0.1:8081", f"127.0.0.1:{rooms}")
    site = site.replace("server {", upstreams + "server {", 1)
    site = site.replace("    location / {", extra + "    location / {", 1)
    site = site.replace("proxy_pass http://127.0.0.1:8080;", "proxy_pass http://piano_lobby;")
print(f"""daemon off;
master_process off;
pid {work}/{name}-nginx.pid;
error_log {work}/{name}-nginx.log info;
events {{}}
http {{
    access_log {work}/{name}-access.log;
    client_body_temp_path {work}/{name}-tmp/body;
    proxy_temp_path {work}/{name}-tmp/proxy;
    fastcgi_temp_path {work}/{name}-tmp/fastcgi;
    uwsgi_temp_path {work}/{name}-tmp/uwsgi;
    scgi_temp_path {work}/{name}-tmp/scgi;
{site}
}}""")
PY
}

# start_nginx NAME: on a free port, tried again should another take it
# first; sets PORT.
start_nginx() {
  local name="$1"
  mkdir -p "$WORK/$name-tmp"
  for _ in 1 2 3; do
    PORT=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    conf "$name" "$PORT" >"$WORK/$name-nginx.conf"
    nginx -p "$WORK" -c "$WORK/$name-nginx.conf" 2>>"$WORK/$name-nginx.log" &
    local pid=$!
    for _ in $(seq 100); do
      (exec 3<>"/dev/tcp/127.0.0.1/$PORT") 2>/dev/null && { pids+=("$pid"); return 0; }
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.05
    done
    stop_child "$pid"
  done
  fail "nginx ($name) did not start"
}
start_nginx alone; alone_port=$PORT
start_nginx scaled; scaled_port=$PORT

SPKI="$spki" node "$here/proxy_e2e.mjs" "$alone_port" "$alone_tcp" "$scaled_port" || fail "the pages behind nginx"

# The rooms were spread over both servers, the lobby stayed with the first.
grep -q 'join 127.0.0.1 via 127.0.0.1:[0-9]* (room lobby)' "$WORK/lobby.log" || fail "the lobby is not on the first server"
grep -q '(room lobby)' "$WORK/rooms.log" && fail "the second server had the lobby"
grep -q 'join .* (room r[0-9]*)' "$WORK/lobby.log" || fail "no room on the first server"
grep -q 'join .* (room r[0-9]*)' "$WORK/rooms.log" || fail "no room on the second server"
# The SoundFont came whole once, then was kept.
grep -E '"GET /soundfont.sf2 HTTP/1.1" 200 ' "$WORK/alone-access.log" >/dev/null || fail "the SoundFont never came"
grep -E '"GET /soundfont.sf2 HTTP/1.1" 304 ' "$WORK/alone-access.log" >/dev/null || fail "the SoundFont was fetched again"
echo "1 passed, 0 failed"
