// The page that plays in shared play through serv's web door: 41 keys, C to
// E, played from the computer keyboard by physical key, the mouse, touch and
// MIDI input; notes, chat and the join notice travel as one WebSocket text
// message each, in the forms Velorin's windows send. Like a window in shared
// play, a key press is sent, not sounded: it sounds when the server sends it
// back, as everybody else's notes do. While there is no connection the page
// plays for itself.
'use strict';

const KEY_COUNT = 41;
const BASE_NOTE = 60;  // key 0 is middle C, as in a window with the shipped settings
// Velorin's key map by physical position (KeyboardEvent.code), key 0 to 40.
const KEY_CODES = [
  'KeyZ', 'KeyS', 'KeyX', 'KeyD', 'KeyC', 'KeyV', 'KeyG', 'KeyB', 'KeyH', 'KeyN', 'KeyJ', 'KeyM',
  'Comma', 'KeyL', 'Period', 'Semicolon', 'Slash',
  'KeyQ', 'Digit2', 'KeyW', 'Digit3', 'KeyE', 'Digit4', 'KeyR', 'KeyT', 'Digit6', 'KeyY', 'Digit7', 'KeyU',
  'KeyI', 'Digit9', 'KeyO', 'Digit0', 'KeyP', 'Minus', 'BracketLeft', 'BracketRight', 'Backspace',
  'Backslash', 'Insert', 'Delete',
];
const LABELS = ['Z', 'S', 'X', 'D', 'C', 'V', 'G', 'B', 'H', 'N', 'J', 'M', ',', 'L', '.', ';', '/', 'Q', '2', 'W',
  '3', 'E', '4', 'R', 'T', '6', 'Y', '7', 'U', 'I', '9', 'O', '0', 'P', '-', '[', ']', 'Backspace', '\\',
  'Insert', 'Delete'];
const WHITE_IN_OCTAVE = [true, false, true, false, true, true, false, true, false, true, false, true];
const LETTERS = ['C', '', 'D', '', 'E', 'F', '', 'G', '', 'A', '', 'B'];
const NAMES = ['C', 'C sharp', 'D', 'D sharp', 'E', 'F', 'F sharp', 'G', 'G sharp', 'A', 'A sharp', 'B'];
const WHITE_COUNT = [...Array(KEY_COUNT).keys()].filter((i) => WHITE_IN_OCTAVE[i % 12]).length;
const OTHER_LIGHT_MS = 400;
const MAX_CHAT_LINES = 500;
// A white key narrower than this cannot be struck alone with a finger: the
// keyboard then shows fewer keys, an octave at a time.
const MIN_WHITE_PX = 28;
const FINGER_PX = 40;
const GESTURE_MS = 300;

const page = window.velorinPage = { log: [], sent: [], local: [], connected: false, soundReady: false };
const keys = [];
const held = new Array(KEY_COUNT).fill(0);      // presses holding each key (keys, pointers, MIDI)
const pending = new Array(KEY_COUNT).fill(0);   // own presses not yet back from the server
const otherTimers = new Array(KEY_COUNT).fill(null);
const keyOfCode = new Map(KEY_CODES.map((code, i) => [code, i]));
const $ = (id) => document.getElementById(id);
const board = $('keyboard');
const nowMs = () => performance.timeOrigin + performance.now();

// "C4", "C sharp 4": as a screen reader should say them.
function noteName(i) {
  const name = NAMES[(BASE_NOTE + i) % 12];
  return `${name}${name.includes(' ') ? ' ' : ''}${Math.floor((BASE_NOTE + i) / 12) - 1}`;
}
function shortName(i) {
  return NAMES[(BASE_NOTE + i) % 12].replace(' sharp', '♯') + String(Math.floor((BASE_NOTE + i) / 12) - 1);
}

// --- The room -------------------------------------------------------------
// The door folds the case of room names; the page shows the name it joined
// and keeps the address in that spelling.
const roomMatch = /^\/r\/([A-Za-z0-9_-]{1,32})$/.exec(location.pathname);
const room = roomMatch ? roomMatch[1].toLowerCase() : null;
if (roomMatch && roomMatch[1] !== room)
  history.replaceState(null, '', `/r/${room}${location.search}${location.hash}`);
$('room').textContent = room ? `Room ${room}` : 'Lobby';
document.title = room ? `Velorin Piano: room ${room}` : 'Velorin Piano';

// --- The keyboard ---------------------------------------------------------
let first = 0;       // the lowest key shown
let shown = KEY_COUNT;

function buildKeyboard() {
  for (let i = 0; i < KEY_COUNT; ++i) {
    const key = document.createElement('div');
    const white = WHITE_IN_OCTAVE[i % 12];
    key.className = 'key ' + (white ? 'white' : 'black');
    key.dataset.index = String(i);
    key.setAttribute('role', 'button');
    key.setAttribute('aria-label', `${noteName(i)}, key ${LABELS[i]}`);
    key.setAttribute('aria-pressed', 'false');
    key.title = `${shortName(i)}: ${LABELS[i]}`;
    if (white)
      key.textContent = LETTERS[i % 12];
    keys.push(key);
    board.appendChild(key);
  }
}

function whitesIn(from, to) {
  let n = 0;
  for (let i = from; i < to; ++i)
    n += WHITE_IN_OCTAVE[i % 12] ? 1 : 0;
  return n;
}

// All 41 keys where they fit a finger, else as many white keys as do,
// from `first` on.
function layout() {
  // Measured with the wide keyboard's padding, whichever is shown: the
  // choice must not change the width it is made from.
  const width = board.clientWidth - 20;
  let whites = WHITE_COUNT;
  if (width / WHITE_COUNT < MIN_WHITE_PX)
    whites = Math.max(7, Math.min(WHITE_COUNT, Math.floor(width / FINGER_PX)));
  const narrow = whites < WHITE_COUNT;
  // The highest first key that still fills the keyboard.
  let top = KEY_COUNT - 1;
  while (top > 0 && whitesIn(top, KEY_COUNT) < whites)
    --top;
  first = narrow ? Math.max(0, Math.min(first, top)) : 0;
  while (!WHITE_IN_OCTAVE[first % 12])
    --first;
  // The keys shown end on a white key: a black key after it would hang over
  // the edge.
  let count = 0;
  let last = first;
  for (; last < KEY_COUNT && count < whites; ++last)
    count += WHITE_IN_OCTAVE[last % 12] ? 1 : 0;
  shown = last - first;
  const unit = 100 / whites;
  let before = 0;
  for (let i = 0; i < KEY_COUNT; ++i) {
    const key = keys[i];
    const visible = i >= first && i < last;
    key.hidden = !visible;
    if (!visible)
      continue;
    if (WHITE_IN_OCTAVE[i % 12]) {
      ++before;
    } else {
      // Between the two white keys around it, as wide as a window's black key.
      key.style.left = `calc(var(--pad) + (100% - 2 * var(--pad)) * ${(before * unit - unit * 0.3) / 100})`;
      key.style.width = `calc((100% - 2 * var(--pad)) * ${(unit * 0.6) / 100})`;
    }
  }
  document.body.classList.toggle('narrow', narrow);
  $('shift').hidden = !narrow;
  $('lower').disabled = first === 0;
  $('higher').disabled = first >= top;
  $('range').textContent = narrow ? `${shortName(first)} to ${shortName(last - 1)}` : '';
  board.setAttribute('aria-label', narrow
    ? `Piano, keys ${noteName(first)} to ${noteName(last - 1)} of 41 from C4 to E7`
    : 'Piano, 41 keys from C4 to E7');
}

function shift(octaves) {
  if (octaves < 0)
    first = first % 12 === 0 ? first - 12 : first - (first % 12);
  else
    first = first - (first % 12) + 12;
  first = Math.max(0, first);
  layout();
  for (let i = 0; i < KEY_COUNT; ++i)
    showKey(i);
}

function showKey(i) {
  const key = keys[i];
  key.classList.toggle('pressed', held[i] > 0);
  key.classList.toggle('other', otherTimers[i] !== null);
  key.setAttribute('aria-pressed', held[i] > 0 ? 'true' : 'false');
}

// A key another player strikes outside the keys shown lights the button
// that leads to it.
function showOffscreen() {
  let below = false;
  let above = false;
  for (let i = 0; i < KEY_COUNT; ++i) {
    if (otherTimers[i] === null)
      continue;
    below ||= i < first;
    above ||= i >= first + shown;
  }
  $('lower').classList.toggle('other', below);
  $('higher').classList.toggle('other', above);
}

// --- Playing --------------------------------------------------------------
function press(i) {
  if (i < 0 || i >= KEY_COUNT)
    return;
  // A held key is one note: only its first press is sent.
  if (held[i]++ > 0)
    return;
  showKey(i);
  if (send(String(i))) {
    ++pending[i];
    page.sent.push({ index: i, at: nowMs() });
  } else {
    // Without a connection the page plays for itself, as a window does;
    // nothing waits to be sent later.
    page.local.push({ index: i, at: nowMs() });
    sound(i);
  }
}

function release(i) {
  if (i < 0 || i >= KEY_COUNT || held[i] === 0)
    return;
  --held[i];
  showKey(i);
}

function releaseAll() {
  for (let i = 0; i < KEY_COUNT; ++i) {
    held[i] = 0;
    showKey(i);
  }
  pointers.clear();
}

function typing(target) {
  return target instanceof HTMLInputElement || target instanceof HTMLSelectElement ||
         target instanceof HTMLTextAreaElement;
}

// Back to playing: the keys play again, as after Escape in a window's chat line.
function play() {
  board.focus({ preventScroll: true });
}

document.addEventListener('keydown', (event) => {
  if (typing(event.target)) {
    if (event.key === 'Escape' && !event.isComposing) {
      event.preventDefault();
      play();
    }
    return;
  }
  if (event.ctrlKey || event.altKey || event.metaKey)
    return;
  const i = keyOfCode.get(event.code);
  if (i === undefined)
    return;
  event.preventDefault();  // Backspace, / and ' would do other things
  if (!event.repeat)
    press(i);
});
document.addEventListener('keyup', (event) => {
  const i = keyOfCode.get(event.code);
  if (i !== undefined && !typing(event.target))
    release(i);
});
window.addEventListener('blur', releaseAll);

// Mouse and touch: each pointer holds one key; several fingers hold a chord.
const pointers = new Map();
function keyAt(x, y) {
  const element = document.elementFromPoint(x, y);
  return element && element.classList.contains('key') ? Number(element.dataset.index) : -1;
}
function pointerDown(event) {
  const i = keyAt(event.clientX, event.clientY);
  if (i < 0)
    return;
  event.preventDefault();
  play();
  pointers.set(event.pointerId, i);
  press(i);
}
function pointerUp(event) {
  const i = pointers.get(event.pointerId);
  if (i === undefined)
    return;
  pointers.delete(event.pointerId);
  release(i);
}
function pointerMove(event) {
  const was = pointers.get(event.pointerId);
  if (was === undefined)
    return;
  const i = keyAt(event.clientX, event.clientY);
  if (i !== was) {  // a finger sliding on to the next key plays it
    release(was);
    pointers.delete(event.pointerId);
    if (i >= 0) {
      pointers.set(event.pointerId, i);
      press(i);
    }
  }
}
// A key activated without a pointer (a screen reader's click) strikes it.
function clicked(event) {
  if (event.detail !== 0 || !event.target.classList.contains('key'))
    return;
  const i = Number(event.target.dataset.index);
  press(i);
  setTimeout(() => release(i), 300);
}

// MIDI keyboards, where the browser offers them: note n plays key n - 60.
function startMidi() {
  if (!navigator.requestMIDIAccess)
    return;
  navigator.requestMIDIAccess().then((access) => {
    const listen = (input) => {
      input.onmidimessage = (message) => {
        const [status, note, velocity] = message.data;
        const kind = status & 0xf0;
        const i = note - BASE_NOTE;
        if (kind === 0x90 && velocity > 0)
          press(i);
        else if (kind === 0x80 || (kind === 0x90 && velocity === 0))
          release(i);
      };
    };
    access.inputs.forEach(listen);
    access.onstatechange = (event) => {
      if (event.port.type === 'input' && event.port.state === 'connected')
        listen(event.port);
    };
  }, () => {});
}

// --- The server -----------------------------------------------------------
const NAME_KEY = 'velorin.name';
function playerName() {
  return $('name').value.replace(/[\r\n]/g, ' ').trim() || 'web';
}

const scheme = location.protocol === 'https:' ? 'wss:' : 'ws:';
const connection = new window.VelorinConnection(`${scheme}//${location.host}${location.pathname}?stamp=1`, {
  onState: connectionState,
  onMessage: arrived,
});
let countdown = null;
let everOpen = false;

function send(text) {
  return connection.send(text);
}

function connectionState(state, why) {
  page.connected = state === 'open';
  clearInterval(countdown);
  countdown = null;
  $('retry').textContent = '';
  $('retry-now').hidden = state !== 'waiting';
  if (state === 'connecting') {
    $('status').textContent = 'Connecting…';
  } else if (state === 'open') {
    everOpen = true;
    $('status').textContent = 'Connected to Server';
    // A window names the address it joined; a page names its player too.
    send(`:${playerName()}: Connected to the Server with IP: ${location.host}`);
  } else {
    releaseAll();
    pending.fill(0);
    // A browser may call itself offline with only this machine to reach.
    const local = /^(localhost|127\.|\[::1\])/.test(location.hostname);
    const offline = navigator.onLine === false && !local;
    const what = offline ? 'Offline' : everOpen ? 'Connection lost' : 'No connection';
    $('status').textContent = what + (why ? ` (${why})` : '') + ': keys sound here only; reconnecting';
    const tick = () => {
      const seconds = Math.max(0, Math.ceil((connection.retryAt - Date.now()) / 1000));
      $('retry').textContent = ` in ${seconds} s`;
    };
    tick();
    countdown = setInterval(tick, 250);
  }
}

function arrived(message, late) {
  const at = nowMs();
  if (message.startsWith(':')) {
    page.log.push({ chat: message.slice(1), at, late });
    addChatLine(message.slice(1));
    $('status').textContent = 'Shared Music Play';
    return;
  }
  // A note: its leading number is a key index, as a window reads it.
  const match = /^[ \t]*([+-]?\d+)/.exec(message);
  const i = match ? Number(match[1]) : 0;
  if (i === -1 || !Number.isSafeInteger(i))
    return;
  const mine = i >= 0 && i < KEY_COUNT && pending[i] > 0;
  if (mine)
    --pending[i];
  page.log.push({ index: i, mine, at, late });
  // Held up on the way (a network that stalled, a computer that slept): it
  // would sound long after it was played, all at once with the others.
  if (late)
    return;
  sound(i);
  if (!mine && i >= 0 && i < KEY_COUNT) {
    clearTimeout(otherTimers[i]);
    otherTimers[i] = setTimeout(() => {
      otherTimers[i] = null;
      showKey(i);
      showOffscreen();
    }, OTHER_LIGHT_MS);
    showKey(i);
    showOffscreen();
  }
  $('status').textContent = 'Shared Music Play';
}

function addChatLine(text) {
  const box = $('received');
  const line = document.createElement('span');
  line.textContent = text + '\n';
  box.prepend(line);
  while (box.childElementCount > MAX_CHAT_LINES)
    box.lastElementChild.remove();
}

$('chat').addEventListener('submit', (event) => {
  event.preventDefault();
  const line = $('line');
  const text = line.value.replace(/[\r\n]/g, ' ');
  if (send(`:${playerName()}: ${text}`)) {
    line.value = '';
    $('chat-note').textContent = '';
    play();
  } else {
    // Kept in the box for when the connection is back.
    $('chat-note').textContent = 'Not sent: no connection';
  }
});
$('line').addEventListener('input', () => { $('chat-note').textContent = ''; });
$('name').addEventListener('keydown', (event) => {
  if (event.key === 'Enter')
    play();
});
$('name').addEventListener('change', () => {
  try {
    localStorage.setItem(NAME_KEY, $('name').value.trim());
  } catch (error) {
    // storage refused: the name lasts as long as the page
  }
});
try {
  $('name').value = localStorage.getItem(NAME_KEY) || '';
} catch (error) {
  // as above
}
$('retry-now').addEventListener('click', () => connection.retryNow());

// --- Sound: FluidSynth built for the web, with the SoundFont serv serves --
let audio = null;
let synth = null;
let output = null;
let program = 0;
let soundStarting = null;
function startSound() {
  if (soundStarting)
    return soundStarting;
  soundStarting = (async () => {
    audio = new AudioContext({ latencyHint: 'interactive' });
    audio.addEventListener('statechange', showAudio);
    page.audio = audio;
    let s;
    if (audio.audioWorklet && !window.velorinNoWorklet) {
      // Rendered on the audio thread.
      await audio.audioWorklet.addModule('/libfluidsynth.js');
      await audio.audioWorklet.addModule('/js-synthesizer.worklet.min.js');
      s = new JSSynth.AudioWorkletNodeSynthesizer();
      s.init(audio.sampleRate);
      output = s.createAudioNode(audio);
    } else {
      // Browsers offer AudioWorklet to secure pages only (https, or this
      // machine): elsewhere the synthesizer renders on the page's thread.
      await new Promise((resolve, reject) => {
        const script = document.createElement('script');
        script.src = '/libfluidsynth.js';
        script.onload = resolve;
        script.onerror = () => reject(new Error('cannot load the synthesizer'));
        document.head.appendChild(script);
      });
      await JSSynth.waitForReady();
      s = new JSSynth.Synthesizer();
      s.init(audio.sampleRate);
      output = s.createAudioNode(audio, 1024);
    }
    output.connect(audio.destination);
    page.output = output;
    const font = await (await fetch('/soundfont.sf2')).arrayBuffer();
    await s.loadSFont(font);
    synth = s;
    synth.midiProgramChange(0, program);
    page.soundReady = true;
    showAudio();
  })().catch((error) => {
    $('audio').textContent = 'No sound: ' + error;
  });
  return soundStarting;
}

// Browsers start sound only after a gesture on the page: any click, tap or
// key (Enter in the chat too) starts it. Not every event counts as one in
// every browser, so each asks until the sound runs.
let resumeAsked = -Infinity;
let waiting = [];  // notes struck by the gesture that starts the sound
function resumeSound() {
  if (!audio || audio.state === 'running' || audio.state === 'closed')
    return;
  resumeAsked = performance.now();
  audio.resume().catch(() => {});
}
for (const type of ['pointerdown', 'pointerup', 'keydown', 'click', 'touchend'])
  document.addEventListener(type, resumeSound, { capture: true });

// The button and the line under the keys say what the sound really does.
function showAudio() {
  const running = audio && audio.state === 'running';
  if (running) {
    const fresh = waiting.filter((w) => performance.now() - w.at < GESTURE_MS);
    waiting = [];
    fresh.forEach((w) => w.strike());
  }
  page.audioState = audio ? audio.state : 'none';
  $('sound').hidden = Boolean(running && synth);
  if (!synth)
    return;
  if (!running) {
    $('audio').textContent = 'Sound is off: click anywhere on the page or press a key to hear the others.';
    return;
  }
  const base = audio.baseLatency || 0;
  const device = audio.outputLatency || 0;
  page.audioLatencyMs = (base + device) * 1000;
  $('audio').textContent = `Audio: ${audio.sampleRate} Hz, output latency ${(page.audioLatencyMs).toFixed(1)} ms` +
    ` (base ${(base * 1000).toFixed(1)} ms, device ${(device * 1000).toFixed(1)} ms)`;
}

function sound(i) {
  const note = BASE_NOTE + i;
  if (!synth || note < 0 || note > 127)
    return;
  const strike = () => {
    synth.midiNoteOn(0, note, 100);
    // The pianos ring on, as in a window; other instruments stop after a beat.
    if (program > 5)
      setTimeout(() => synth && synth.midiNoteOff(0, note), 400);
  };
  // While the sound is off nothing is kept for later, or it would all come
  // at once when it starts; only a note struck by the very gesture that
  // starts it waits for it.
  if (audio.state === 'running')
    strike();
  else if (performance.now() - resumeAsked < GESTURE_MS)
    waiting.push({ at: performance.now(), strike });
}

async function fillInstruments() {
  const select = $('instrument');
  try {
    const text = await (await fetch('/instruments.txt')).text();
    for (const line of text.split(/\r?\n/)) {
      const m = /^(\d+)=(.*)$/.exec(line);
      if (m && Number(m[1]) < 128)
        select.add(new Option(m[2], m[1]));
    }
  } catch (error) {
    select.add(new Option('Acoustic Grand Piano', '0'));
  }
  select.addEventListener('change', () => {
    program = Number(select.value);
    if (synth)
      synth.midiProgramChange(0, program);
    play();
  });
}

$('sound').addEventListener('click', () => {
  resumeSound();
  play();
});
$('lower').addEventListener('click', () => shift(-1));
$('higher').addEventListener('click', () => shift(1));

buildKeyboard();
board.addEventListener('pointerdown', pointerDown);
board.addEventListener('pointermove', pointerMove);
board.addEventListener('click', clicked);
for (const end of ['pointerup', 'pointercancel', 'pointerleave'])
  board.addEventListener(end, pointerUp);
new ResizeObserver(() => layout()).observe(board);
layout();
fillInstruments();
startMidi();
connection.open();
// The synthesizer and its SoundFont load at once; where the browser wants a
// gesture first, the first click or key lets it play.
startSound();
page.press = press;
page.release = release;
page.connection = connection;
