// The page's connection to the web door: one WebSocket at a time, opened
// again by itself after a loss, with a growing wait. The door stamps what it
// sends to the page with its own clock and speaks at least once a second, so
// the page knows a note that was held up on the way (it is dropped, not
// played late in a burst) and a connection that went quiet (it is given up
// and opened again, so nothing pressed meanwhile waits in it).
'use strict';

const RETRY_MS = [1000, 2000, 4000, 5000];  // then every 5 s
const SILENCE_MS = 3500;  // the door's word at least once a second, with room to spare
const LATE_MS = 1000;     // a note this much later than the quickest is no longer music
const MOVED_MS = 3000;    // late for this long without a break: this clock moved

// Which stamped messages come late. The door's clock and this one are
// unrelated, so the quickest arrival seen is the measure: later than it by
// more than LATE_MS is late. The wall clock, because it goes on while the
// computer sleeps, as the door's does.
class LateFilter {
  constructor() {
    this.reset();
  }

  reset() {
    this.quickest = null;
    this.lateSince = null;
  }

  // True when a message the door stamped `stamp` arriving `now` is late.
  isLate(stamp, now) {
    const delay = now - stamp;
    if (this.quickest === null || delay <= this.quickest) {
      this.quickest = delay;
      this.lateSince = null;
      return false;
    }
    if (delay - this.quickest <= LATE_MS) {
      this.lateSince = null;
      return false;
    }
    // A held-up batch comes at once. Everything late for seconds on end
    // means this clock was set forward (or drifted): measure from here.
    if (this.lateSince === null) {
      this.lateSince = now;
    } else if (now - this.lateSince > MOVED_MS) {
      this.quickest = delay;
      this.lateSince = null;
      return false;
    }
    return true;
  }
}

// States: 'connecting', 'open', 'waiting' (for the next attempt, at
// retryAt). onState(state, why) tells each change; onMessage(text, late)
// each message the door sends, without its stamp.
class Connection {
  constructor(url, { onState, onMessage }) {
    this.url = url;
    this.onState = onState;
    this.onMessage = onMessage;
    this.socket = null;
    this.state = 'connecting';
    this.attempt = 0;
    this.timer = null;
    this.retryAt = 0;
    this.lastHeard = 0;
    this.lastWatch = Date.now();
    this.stamped = false;
    this.late = new LateFilter();
    setInterval(() => this.watch(), 500);
    // A browser that knows it is back, a tab shown again (whose timers were
    // slowed meanwhile), a page back from the cache: try at once.
    window.addEventListener('online', () => this.retryNow());
    document.addEventListener('visibilitychange', () => {
      if (!document.hidden)
        this.retryNow();
    });
    window.addEventListener('pageshow', (event) => {
      if (event.persisted)
        this.open();
    });
  }

  // Open, and not gone quiet: what is sent now goes out now.
  get connected() {
    return this.state === 'open' && !this.quiet();
  }

  open() {
    clearTimeout(this.timer);
    this.timer = null;
    this.forget();
    this.late.reset();
    this.stamped = false;
    let socket;
    try {
      socket = new WebSocket(this.url);
    } catch (error) {
      this.lost(String(error.message || error));
      return;
    }
    this.socket = socket;
    this.setState('connecting');
    socket.onopen = () => {
      this.attempt = 0;
      this.lastHeard = Date.now();
      this.setState('open');
    };
    socket.onmessage = (event) => this.arrived(String(event.data));
    socket.onclose = (event) => {
      if (this.socket === socket)
        this.lost(event.reason);
    };
  }

  send(text) {
    if (!this.connected)
      return false;
    this.socket.send(text);
    return true;
  }

  retryNow() {
    if (this.state === 'waiting')
      this.open();
  }

  // Lets go of the socket and of whatever it still holds, both ways.
  forget() {
    const socket = this.socket;
    if (!socket)
      return;
    this.socket = null;
    socket.onopen = socket.onmessage = socket.onclose = null;
    try {
      socket.close();
    } catch (error) {
      // closing a socket that is still connecting may throw; it goes all the same
    }
  }

  lost(why) {
    this.forget();
    const step = RETRY_MS[Math.min(this.attempt, RETRY_MS.length - 1)];
    ++this.attempt;
    // Spread, so that the pages of a restarted server do not all come at once.
    const wait = step * (0.75 + 0.25 * Math.random());
    this.retryAt = Date.now() + wait;
    this.timer = setTimeout(() => this.open(), wait);
    this.setState('waiting', why || '');
  }

  quiet() {
    return this.stamped && Date.now() - this.lastHeard > SILENCE_MS;
  }

  watch() {
    const now = Date.now();
    // The watch itself came late: this page stood still (a busy or sleeping
    // computer), and what arrived meanwhile has yet to be read. Its silence
    // counts from now.
    if (now - this.lastWatch > 1500)
      this.lastHeard = Math.max(this.lastHeard, now);
    this.lastWatch = now;
    if (this.state === 'open' && this.quiet())
      this.lost('no word from the server');
  }

  setState(state, why = '') {
    this.state = state;
    this.onState(state, why);
  }

  arrived(data) {
    const now = Date.now();
    this.lastHeard = now;
    // "<stamp>" alone is the door's word that it is there; "<stamp> <message>"
    // a message.
    const match = /^(\d+)(?: |$)/.exec(data);
    if (!match) {
      this.onMessage(data, false);  // a door that does not stamp
      return;
    }
    this.stamped = true;
    const late = this.late.isLate(Number(match[1]), now);
    if (match[0].length < data.length)
      this.onMessage(data.slice(match[0].length), late);
  }
}

window.VelorinConnection = Connection;
