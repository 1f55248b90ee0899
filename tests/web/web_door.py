#!/usr/bin/python3
"""The web door of serv against real sockets: browser players over WebSocket
(Debian's python3-websockets), Velorin's players over TCP, the real serv.
Usage: web_door.py SERV CASE, CASE one of lobby, rooms, bad_input, slow, bounds,
restart."""
import asyncio
import os
import re
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

import websockets

SERV = sys.argv[1]
CASE = sys.argv[2]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED:", what, flush=True)


class Serv:
    """serv with its web door on free ports; the log in a temporary file."""

    def __init__(self, *extra):
        self.log = tempfile.NamedTemporaryFile(prefix="serv-web-", suffix=".log", delete=False)
        self.proc = subprocess.Popen([SERV, "--port", "0", "--bind", "127.0.0.1", "--web", "0", *extra],
                                     stdout=self.log, stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline and "listening on" not in self.text():
            time.sleep(0.05)
        self.tcp = int(re.search(r"listening on .*:(\d+)", self.text()).group(1))
        self.web = int(re.search(r"web door on http://[^ ]*:(\d+)/", self.text()).group(1))

    def text(self):
        with open(self.log.name, encoding="utf-8", errors="replace") as f:
            return f.read()

    def wait_log(self, pattern, seconds=5):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if re.search(pattern, self.text()):
                return True
            time.sleep(0.05)
        return False

    def door(self):
        """The pid of the web door: a child of serv (of any of its threads)."""
        for task in os.listdir(f"/proc/{self.proc.pid}/task"):
            with open(f"/proc/{self.proc.pid}/task/{task}/children") as f:
                for pid in f.read().split():
                    with open(f"/proc/{pid}/comm") as c:
                        if c.read().strip() == "serv-web":
                            return int(pid)
        return None

    def url(self, path="/"):
        return f"ws://127.0.0.1:{self.web}{path}"

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        # serv and its door write here; in a sanitized build, so do the sanitizers.
        time.sleep(0.5)
        text = self.text()
        check(not re.search(r"Sanitizer|runtime error:", text), "no sanitizer finding in serv or its door:\n" + text[-3000:])
        os.unlink(self.log.name)


def tcp_player(serv):
    s = socket.create_connection(("127.0.0.1", serv.tcp))
    s.settimeout(0.2)
    return s


def tcp_read(s, seconds=1.0, until=None):
    got = b""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline and (until is None or until not in got):
        try:
            chunk = s.recv(65536)
            if not chunk:
                break
            got += chunk
        except socket.timeout:
            pass
    return got


async def messages(ws, seconds=1.0, count=None):
    got = []
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline and (count is None or len(got) < count):
        try:
            got.append(await asyncio.wait_for(ws.recv(), max(0.01, deadline - time.monotonic())))
        except asyncio.TimeoutError:
            break
        except websockets.ConnectionClosed:
            break
    return got


async def closed_with(ws, seconds=3.0):
    try:
        await asyncio.wait_for(ws.wait_closed(), seconds)
    except asyncio.TimeoutError:
        return None
    return ws.close_code


def http_status(serv, path):
    s = socket.create_connection(("127.0.0.1", serv.web))
    s.sendall(f"GET {path} HTTP/1.1\r\nHost: 127.0.0.1:{serv.web}\r\nConnection: close\r\n\r\n".encode())
    s.settimeout(3)
    head = b""
    while b"\r\n" not in head:
        chunk = s.recv(4096)
        if not chunk:
            break
        head += chunk
    s.close()
    return int(head.split(b" ")[1]) if head else 0


def http_get(serv, path, headers=()):
    """Status, headers (lower-case names) and body of one GET."""
    s = socket.create_connection(("127.0.0.1", serv.web))
    extra = "".join(f"{k}: {v}\r\n" for k, v in headers)
    s.sendall(f"GET {path} HTTP/1.1\r\nHost: 127.0.0.1:{serv.web}\r\n{extra}Connection: close\r\n\r\n".encode())
    s.settimeout(10)
    got = b""
    while True:
        chunk = s.recv(1 << 20)
        if not chunk:
            break
        got += chunk
    s.close()
    head, _, body = got.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    fields = {k.strip().lower(): v.strip() for k, _, v in (line.partition(":") for line in lines[1:])}
    return int(lines[0].split(" ")[1]), fields, body


def refused_unread(serv, request, body=b""):
    """The status of an answer to a request whose rest is never sent: as much
    of `body` goes as the socket takes at once, then the answer is read."""
    s = socket.create_connection(("127.0.0.1", serv.web))
    s.setblocking(False)
    for piece in (request, body):
        try:
            s.send(piece)
        except (BlockingIOError, BrokenPipeError, ConnectionResetError):
            break
    s.settimeout(5)
    head = b""
    try:
        while b"\r\n" not in head:
            chunk = s.recv(4096)
            if not chunk:
                break
            head += chunk
    except (socket.timeout, ConnectionResetError):
        pass
    s.close()
    return int(head.split(b" ")[1]) if head.startswith(b"HTTP/1.1 ") else 0


def peak_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        return int(re.search(r"VmHWM:\s+(\d+)", f.read()).group(1))


async def lobby():
    serv = Serv()
    try:
        page = f"http://127.0.0.1:{serv.web}"
        a = await websockets.connect(serv.url(), origin=page)
        b = await websockets.connect(serv.url(), origin=page)
        # The page asks for the door's clock in front of what it gets; the
        # others, windows above all, get the same messages as they are.
        stamped = await websockets.connect(serv.url("/?stamp"), origin=page)
        first = await messages(stamped, 3, 1)
        check(len(first) == 1 and re.fullmatch(r"\d+", first[0]), f"a stamped page is told the door's clock at once: {first}")
        t = tcp_player(serv)
        check(serv.wait_log(r"join 127\.0\.0\.1:\d+ \(room lobby\)"), "a join is logged with its room")
        await asyncio.sleep(0.2)
        # A chord from the page: every message reaches the windows with CR LF,
        # and every page, its player included, as one WebSocket message each.
        for m in ["0", "4", "7", ": Connected to the Server with IP: 127.0.0.1"]:
            await a.send(m)
        want = ["0", "4", "7", ": Connected to the Server with IP: 127.0.0.1"]
        check(tcp_read(t, 3, b"IP: 127.0.0.1\r\n") == b"0\r\n4\r\n7\r\n: Connected to the Server with IP: 127.0.0.1\r\n",
              "a window gets the page's messages, each ended by CR LF")
        check(await messages(b, 3, 4) == want, "another page gets each message as one")
        check(await messages(a, 3, 4) == want, "the page hears its own messages back")
        got = await messages(stamped, 3, 4)
        check([re.sub(r"^\d+ ", "", m) for m in got] == want and all(re.match(r"\d+ ", m) for m in got),
              f"the stamped page gets each message after the door's clock: {got}")
        # A second of nothing, and the stamped page alone hears that the door is there.
        quiet = await messages(stamped, 5, 1)
        check(len(quiet) == 1 and re.fullmatch(r"\d+", quiet[0]) and int(quiet[0]) >= int(first[0]) + 900,
              f"the door speaks to a stamped page after a second of silence: {quiet} after {first}")
        check(await messages(b, 0.2) == [] and tcp_read(t, 0.2) == b"", "and to no one else")
        # From a window: cut at CR LF; from a peer without CR LF, one write
        # one message.
        t.sendall(b"12\r\n:host: hello\r\n")
        check(await messages(a, 3, 2) == ["12", ":host: hello"], "a window's chord and chat reach the page as two")
        await messages(b, 1, 2)
        t.sendall(b"5")
        check(await messages(b, 3, 1) == ["5"], "a message without CR LF reaches the page once nothing more comes")
        await stamped.close()
        await a.close()
        check(serv.wait_log(r"leave 127\.0\.0\.1:\d+ \(room lobby\)"), "a leave is logged with its room")
        await b.close()
        t.close()
    finally:
        serv.stop()


async def rooms():
    serv = Serv("--web-max-rooms", "2")
    try:
        ra = await websockets.connect(serv.url("/r/a"))
        rb = await websockets.connect(serv.url("/r/b"))
        ra2 = await websockets.connect(serv.url("/r/A"))  # whatever the case of its name
        lob = await websockets.connect(serv.url("/"))
        t = tcp_player(serv)
        await asyncio.sleep(0.2)
        await ra.send("3")
        await ra.send(":a: in room a")
        check(await messages(ra2, 3, 2) == ["3", ":a: in room a"], "a room's members hear each other")
        check(await messages(ra, 3, 2) == ["3", ":a: in room a"], "a room's player hears itself")
        check(await messages(rb, 1) == [], "a note in /r/a never reaches /r/b")
        check(await messages(lob, 0.5) == [], "nor the lobby")
        check(tcp_read(t, 0.5) == b"", "nor the windows")
        check(serv.wait_log(r"join 127\.0\.0\.1:\d+ \(room b\)"), "joins name their room")
        # A third room is one too many; a bad name is no room.
        try:
            await websockets.connect(serv.url("/r/c"))
            check(False, "a room over the bound is refused")
        except websockets.InvalidStatusCode as e:
            check(e.status_code == 503, f"a room over the bound is refused with 503, not {e.status_code}")
        for bad in ["/r/" + "x" * 33, "/r/a%2Fb", "/r/", "/other"]:
            try:
                await websockets.connect(serv.url(bad))
                check(False, f"{bad} is no room")
            except websockets.InvalidStatusCode as e:
                check(e.status_code == 404, f"{bad} is refused with 404, not {e.status_code}")
        await rb.close()
        check(serv.wait_log(r"leave 127\.0\.0\.1:\d+ \(room b\)"), "a room empties")
        c = await websockets.connect(serv.url("/r/c"))  # its place is free again
        await c.close()
        # The page and its files, and nothing outside its folder.
        check(http_status(serv, "/") == 200 and http_status(serv, "/r/a") == 200, "the page at / and /r/<name>")
        check(http_status(serv, "/soundfont.sf2") == 200, "the SoundFont")
        for path in ["/../", "/../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd", "/..%2f..%2fetc/passwd",
                     "//etc/passwd", "/index.html/../../../etc/passwd"]:
            check(http_status(serv, path) == 404, f"{path} gives 404")
        for ws in (ra, ra2, lob):
            await ws.close()
        t.close()
    finally:
        serv.stop()


async def bad_input():
    serv = Serv("--web-max-clients", "4", "--web-origin", "https://piano.example.org")
    try:
        t = tcp_player(serv)
        # Origins: the named one joins, another page's is refused before the
        # handshake; a client that is no browser sends none and joins.
        try:
            await websockets.connect(serv.url(), origin="http://evil.example")
            check(False, "a wrong Origin is refused")
        except websockets.InvalidStatusCode as e:
            check(e.status_code == 403, f"a wrong Origin is refused with 403, not {e.status_code}")
        check(serv.wait_log(r"refuse 127\.0\.0\.1:\d+ \(origin http://evil\.example not allowed\)"), "and logged")
        good = await websockets.connect(serv.url(), origin="https://piano.example.org")
        # A binary frame, an oversized frame, a message with a line break in
        # it, text that is no message: each ends its sender and reaches no one.
        for payload, code in [(b"\x01\x02", 1003), ("9" * 5000, 1009), ("1\r\n2", 1008), ("hello", 1008)]:
            ws = await websockets.connect(serv.url(), max_size=None)
            await ws.send(payload)
            got = await closed_with(ws)
            check(got == code, f"{payload[:10]!r}... closes with {code}, not {got}")
        check(tcp_read(t, 0.5) == b"", "none of them reached a window")
        check(await messages(good, 0.2) == [], "nor a page")
        # A flood: far more than a player's bound. What passes stays within
        # it, the flooder goes, the others stay.
        flooder = await websockets.connect(serv.url())
        start = time.monotonic()
        try:
            for _ in range(20000):
                await flooder.send("12")
        except websockets.ConnectionClosed:
            pass
        got = await closed_with(flooder, 10)
        elapsed = time.monotonic() - start
        # 1006 when the close frame is lost behind the flood's unread bytes.
        check(got in (1008, 1006), f"the flooder is closed, not {got}")
        passed = tcp_read(t, 2).count(b"\r\n")
        check(0 < passed <= 200 + 50 * (elapsed + 2), f"what passes stays within the bound: {passed} in {elapsed:.1f} s")
        check(serv.wait_log(r"drop 127\.0\.0\.1:\d+ \(room lobby, sending too fast\)"), "the flood is logged")
        await good.send(":good: still here")
        check(":good: still here" in await messages(good, 3, 400), "the others play on")
        # The number of players is bounded.
        crowd = [await websockets.connect(serv.url()) for _ in range(3)]
        try:
            await websockets.connect(serv.url())
            check(False, "a player over the bound is refused")
        except websockets.InvalidStatusCode as e:
            check(e.status_code == 503, f"a player over the bound is refused with 503, not {e.status_code}")
        for ws in crowd + [good]:
            await ws.close()
        t.close()
    finally:
        serv.stop()


def slow_reader(serv):
    """A page that joins and never reads, with a small window."""
    s = socket.socket()
    s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
    s.connect(("127.0.0.1", serv.web))
    s.sendall(f"GET / HTTP/1.1\r\nHost: 127.0.0.1:{serv.web}\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
              "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n".encode())
    head = b""
    while b"\r\n\r\n" not in head:
        head += s.recv(1)
    return s


async def slow():
    serv = Serv()
    try:
        stuck = slow_reader(serv)
        reader = await websockets.connect(serv.url(), max_queue=None)
        senders = [tcp_player(serv) for _ in range(8)]
        line = b":w: " + b"x" * 996 + b"\r\n"
        await asyncio.sleep(0.2)
        # 8 windows chat 1 MB in all; a page that reads nothing must not hold
        # it for ever, nor hold back the page that reads.
        total = got = 0
        for _ in range(128):
            for s in senders:
                s.sendall(line)
                total += 1
            got += len(await messages(reader, 0.001))
        deadline = time.monotonic() + 60
        while got < total and time.monotonic() < deadline:
            got += len(await messages(reader, 0.5))
        check(serv.wait_log(r"drop 127\.0\.0\.1:\d+ \(room lobby, outgoing data over the bound\)", 30),
              "the page that reads nothing is dropped")
        # Lines of different windows that the relay read in pieces may be
        # joined; none is lost.
        check(got >= total * 0.9, f"the page that reads got the chat: {got} of {total}")
        await reader.close()
        stuck.close()
        for s in senders:
            s.close()
    finally:
        serv.stop()


async def bounds():
    """Whatever one client sends, the door answers at once and its memory stays
    bounded; the page's files are plain to browsers and kept by them."""
    serv = Serv("--web-max-per-address", "3", "--web-trusted-proxy", "127.0.0.1")
    try:
        door = serv.door()
        check(door is not None, "the door runs beside serv")
        # Nothing at an address: a page that says so, which a browser shows.
        for path in ["/r/" + "x" * 33, "/r/%00", "/nothing"]:
            status, fields, body = http_get(serv, path)
            check(status == 404 and fields.get("content-type", "").startswith("text/html") and b"Not found" in body,
                  f"{path}: a page that says it is not found, not {status} {fields.get('content-type')}")
        # Validators: a browser that has the SoundFont asks whether it changed.
        status, fields, body = http_get(serv, "/soundfont.sf2")
        etag = fields.get("etag", "")
        check(status == 200 and etag and len(body) == int(fields["content-length"]), "the SoundFont, with an ETag")
        status, fields, body = http_get(serv, "/soundfont.sf2", [("If-None-Match", etag)])
        check(status == 304 and body == b"", f"the SoundFont it has is not sent again: {status}, {len(body)} bytes")
        status, _, _ = http_get(serv, "/soundfont.sf2", [("If-None-Match", '"other"')])
        check(status == 200, "a SoundFont that changed is sent")

        # Too much of anything is refused before it is read.
        big = 200 << 20
        check(refused_unread(serv, b"GET / HTTP/1.1\r\nHost: x\r\nX-Big: ", b"a" * (16 << 20)) == 431,
              "a 16 MB header gets 431")
        check(refused_unread(serv, b"GET /", b"a" * (8 << 20)) == 414, "an 8 MB address gets 414")
        check(refused_unread(serv, f"POST / HTTP/1.1\r\nHost: x\r\nContent-Length: {big}\r\n\r\n".encode(),
                             b"x" * (8 << 20)) == 405, "a 200 MB POST gets 405 at once")
        check(refused_unread(serv, f"GET / HTTP/1.1\r\nHost: x\r\nContent-Length: {big}\r\n\r\n".encode(),
                             b"x" * (8 << 20)) == 413, "a GET with a body gets 413")
        # Requests for the SoundFont, many at once and never read: answered
        # one at a time, from the file, not from memory.
        unread = []
        for _ in range(3):
            s = socket.socket()
            s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
            s.connect(("127.0.0.1", serv.web))
            s.sendall(b"GET /soundfont.sf2 HTTP/1.1\r\nHost: x\r\n\r\n" * 20)
            unread.append(s)
        # A page that pings as fast as it can and never reads the pongs: the
        # door stops reading it once its pongs wait.
        s = slow_reader(serv)
        ping = bytes([0x89, 0x80 | 125]) + b"\0\0\0\0" + b"p" * 125
        s.settimeout(3)
        sent = 0
        try:
            while sent < 400 << 20:
                s.sendall(ping * 1000)
                sent += len(ping) * 1000
        except (socket.timeout, BrokenPipeError, ConnectionResetError):
            pass
        check(sent < 100 << 20, f"the door stopped reading a page that reads no pongs ({sent >> 20} MB taken)")
        peak = peak_kb(door)
        check(peak < 150 * 1024, f"the door's memory stayed bounded: {peak // 1024} MB at most")
        for sock in unread + [s]:
            sock.close()

        # Players from one address are bounded; behind a trusted proxy the
        # address is the one it forwards.
        def via(address):
            return websockets.connect(serv.url(), extra_headers={"X-Forwarded-For": f"198.51.100.9, {address}"})
        crowd = [await via("203.0.113.1") for _ in range(3)]
        try:
            await via("203.0.113.1")
            check(False, "a fourth player from one address is refused")
        except websockets.InvalidStatusCode as e:
            check(e.status_code == 429, f"a fourth player from one address is refused with 429, not {e.status_code}")
        check(serv.wait_log(r"refuse 203\.0\.113\.1 via 127\.0\.0\.1:\d+ \(too many players from one address\)"),
              "the refusal names the player's address and the proxy")
        other = await via("203.0.113.2")
        await other.send("3")
        check(await messages(other, 3, 1) == ["3"], "a player from another address plays")
        for ws in crowd + [other]:
            await ws.close()
    finally:
        serv.stop()


async def restart():
    """A door that is killed comes back on its port; SIGHUP changes nothing;
    SIGTERM says goodbye to the pages."""
    serv = Serv()
    try:
        first = serv.door()
        check(first is not None, "the door runs beside serv")
        os.kill(first, signal.SIGKILL)
        check(serv.wait_log(r"web door killed by signal 9.*starting it again", 10), "serv says how the door ended")
        check(serv.wait_log(rf"(?s)starting it again.*web door on http://[^ ]*:{serv.web}/", 20),
              "the door is back on its port")
        deadline = time.monotonic() + 10
        while os.path.exists(f"/proc/{first}") and time.monotonic() < deadline:
            time.sleep(0.05)
        check(not os.path.exists(f"/proc/{first}"), "the killed door was reaped")
        page = None
        while page is None and time.monotonic() < deadline + 10:
            try:
                page = await websockets.connect(serv.url())
            except OSError:
                await asyncio.sleep(0.1)
        t = tcp_player(serv)
        await asyncio.sleep(0.3)
        t.sendall(b"12\r\n")
        check(await messages(page, 5, 1) == ["12"], "a window's note reaches a page through the new door")

        serv.proc.send_signal(signal.SIGHUP)
        await asyncio.sleep(0.5)
        check(serv.proc.poll() is None and serv.door() is not None, "a hang-up leaves serv and its door running")
        t.sendall(b"14\r\n")
        check(await messages(page, 5, 1) == ["14"], "and playing")

        serv.proc.send_signal(signal.SIGTERM)
        code = await closed_with(page, 10)
        check(code == 1001, f"SIGTERM closes the page with 1001 (going away), not {code}")
        check(serv.proc.wait(10) == 0, "serv ends cleanly")
        t.close()
    finally:
        serv.stop()


asyncio.run({"lobby": lobby, "rooms": rooms, "bad_input": bad_input, "slow": slow, "bounds": bounds,
             "restart": restart}[CASE]())
print(f"{0 if failures else 1} passed, {1 if failures else 0} failed")
sys.exit(1 if failures else 0)
