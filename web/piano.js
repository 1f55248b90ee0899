// The page that plays in shared play through serv's web door: 41 keys, C to
// E, played from the computer keyboard by physical key, the mouse, touch and
// MIDI input; notes, chat and the join notice travel as one WebSocket text
// message each, in the forms Velorin's windows send. Like a window in shared
// play, a key press is sent, not sounded: it sounds when the server sends it
// back, as everybody else's notes do.
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
  'Insert', 'Del'];
const WHITE_IN_OCTAVE = [true, false, true, false, true, true, false, true, false, true, false, true];
const LETTERS = ['C', '', 'D', '', 'E', 'F', '', 'G', '', 'A', '', 'B'];
const OTHER_LIGHT_MS = 400;
const MAX_CHAT_CHARS = 64 * 1024;

const page = window.velorinPage = { log: [], sent: [], connected: false, soundReady: false };
const keys = [];
const held = new Array(KEY_COUNT).fill(0);      // presses holding each key (keys, pointers, MIDI)
const pending = new Array(KEY_COUNT).fill(0);   // own presses not yet back from the server
const otherTimers = new Array(KEY_COUNT).fill(null);
const keyOfCode = new Map(KEY_CODES.map((code, i) => [code, i]));
const $ = (id) => document.getElementById(id);

// --- The keyboard ---------------------------------------------------------
function buildKeyboard() {
  const board = $('keyboard');
  let whites = 0;
  const whiteCount = [...Array(KEY_COUNT).keys()].filter((i) => WHITE_IN_OCTAVE[i % 12]).length;
  for (let i = 0; i < KEY_COUNT; ++i) {
    const key = document.createElement('div');
    const white = WHITE_IN_OCTAVE[i % 12];
    key.className = 'key ' + (white ? 'white' : 'black');
    key.dataset.index = String(i);
    if (white) {
      key.textContent = LETTERS[i % 12];
      key.title = LABELS[i];
      ++whites;
    } else {
      // Between the two white keys around it, as wide as a window's black key.
      const unit = 100 / whiteCount;
      key.style.left = `calc(10px + (100% - 20px) * ${(whites * unit - unit * 0.26) / 100})`;
      key.style.width = `calc((100% - 20px) * ${(unit * 0.52) / 100})`;
    }
    keys.push(key);
    board.appendChild(key);
  }
}

function showKey(i) {
  const key = keys[i];
  key.classList.toggle('pressed', held[i] > 0);
  key.classList.toggle('other', otherTimers[i] !== null);
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
    page.sent.push({ index: i, at: performance.timeOrigin + performance.now() });
  } else {
    sound(i);  // offline, the page plays for itself, as a window does
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

function typing(event) {
  const t = event.target;
  return t instanceof HTMLInputElement || t instanceof HTMLSelectElement || t instanceof HTMLTextAreaElement;
}

document.addEventListener('keydown', (event) => {
  if (typing(event) || event.ctrlKey || event.altKey || event.metaKey)
    return;
  const i = keyOfCode.get(event.code);
  if (i === undefined)
    return;
  event.preventDefault();  // Backspace, / and ' would do other things
  startSound();
  if (!event.repeat)
    press(i);
});
document.addEventListener('keyup', (event) => {
  const i = keyOfCode.get(event.code);
  if (i !== undefined && !typing(event))
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
  startSound();
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
let socket = null;
function send(text) {
  if (!socket || socket.readyState !== WebSocket.OPEN)
    return false;
  socket.send(text);
  return true;
}

function connect() {
  const scheme = location.protocol === 'https:' ? 'wss:' : 'ws:';
  socket = new WebSocket(`${scheme}//${location.host}${location.pathname}`);
  socket.onopen = () => {
    page.connected = true;
    $('status').textContent = 'Connected to Server';
    send(': Connected to the Server with IP: ' + location.hostname);
  };
  socket.onmessage = (event) => arrived(String(event.data));
  socket.onclose = (event) => {
    page.connected = false;
    releaseAll();
    $('status').textContent = event.reason ? `Connection failed: ${event.reason}` : 'Connection failed.';
  };
}

function arrived(message) {
  const at = performance.timeOrigin + performance.now();
  if (message.startsWith(':')) {
    page.log.push({ chat: message.slice(1), at });
    const box = $('received');
    box.textContent = (message.slice(1) + '\n' + box.textContent).slice(0, MAX_CHAT_CHARS);
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
  page.log.push({ index: i, mine, at });
  sound(i);
  if (!mine && i >= 0 && i < KEY_COUNT) {
    clearTimeout(otherTimers[i]);
    otherTimers[i] = setTimeout(() => { otherTimers[i] = null; showKey(i); }, OTHER_LIGHT_MS);
    showKey(i);
  }
  $('status').textContent = 'Shared Music Play';
}

$('chat').addEventListener('submit', (event) => {
  event.preventDefault();
  const line = $('line');
  const name = $('name').value.replace(/[\r\n]/g, ' ') || 'web';
  const text = line.value.replace(/[\r\n]/g, ' ');
  if (send(`:${name}: ${text}`))
    line.value = '';
});

// --- Sound: FluidSynth built for the web, with the SoundFont serv serves --
let audio = null;
let synth = null;
let program = 0;
let soundStarting = null;
function startSound() {
  // Browsers start sound only after a gesture: every press asks again.
  if (audio && audio.state === 'suspended')
    audio.resume();
  if (soundStarting)
    return soundStarting;
  soundStarting = (async () => {
    audio = new AudioContext({ latencyHint: 'interactive' });
    let s;
    if (audio.audioWorklet && !window.velorinNoWorklet) {
      // Rendered on the audio thread.
      await audio.audioWorklet.addModule('/libfluidsynth.js');
      await audio.audioWorklet.addModule('/js-synthesizer.worklet.min.js');
      s = new JSSynth.AudioWorkletNodeSynthesizer();
      s.init(audio.sampleRate);
      s.createAudioNode(audio).connect(audio.destination);
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
      s.createAudioNode(audio, 1024).connect(audio.destination);
    }
    const font = await (await fetch('/soundfont.sf2')).arrayBuffer();
    await s.loadSFont(font);
    synth = s;
    synth.midiProgramChange(0, program);
    page.soundReady = true;
    showLatency();
  })().catch((error) => {
    $('audio').textContent = 'No sound: ' + error;
  });
  return soundStarting;
}

function showLatency() {
  const base = audio.baseLatency || 0;
  const output = audio.outputLatency || 0;
  page.audioLatencyMs = (base + output) * 1000;
  $('audio').textContent = `Audio: ${audio.sampleRate} Hz, output latency ${(page.audioLatencyMs).toFixed(1)} ms` +
    ` (base ${(base * 1000).toFixed(1)} ms, device ${(output * 1000).toFixed(1)} ms)`;
  $('sound').hidden = true;
}

function sound(i) {
  const note = BASE_NOTE + i;
  if (!synth || note < 0 || note > 127)
    return;
  synth.midiNoteOn(0, note, 100);
  // The pianos ring on, as in a window; other instruments stop after a beat.
  if (program > 5)
    setTimeout(() => synth && synth.midiNoteOff(0, note), 400);
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
    select.blur();  // the keys play again
  });
}

$('sound').addEventListener('click', () => startSound());

buildKeyboard();
const board = $('keyboard');
board.addEventListener('pointerdown', pointerDown);
board.addEventListener('pointermove', pointerMove);
for (const end of ['pointerup', 'pointercancel', 'pointerleave'])
  board.addEventListener(end, pointerUp);
fillInstruments();
startMidi();
connect();
// The synthesizer and its SoundFont load at once; where the browser wants a
// gesture first, the first key or "Sound on" lets it play.
startSound();
page.startSound = startSound;
page.press = press;
page.release = release;
