// The browser's half of the web page's end-to-end runs, in Debian's Chromium.
//
// play PORT WORK (from browser_e2e.sh): two pages of the lobby and a window
// reached with xdotool ($WINDOW). Prints "struck T1 T2 T3 T4", the
// wall-clock seconds at which the page's chord, the page's note, the
// window's chord and the chord of two fingers on page 2 were struck.
//
// alone SERV: one page on a phone, under the browser's own sound
// policy, with serv on free ports and a TCP player beside it: sound that
// waits for a gesture, the keys in portrait, serv restarted, the network
// gone, the page standing still.
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const xdotool = (...args) => execFileSync('xdotool', args);
const now = () => Date.now() / 1000;
const fail = (what) => { console.error('FAIL:', what); process.exit(1); };
// The serv a run started, ended however the run ends (a failure exits at once).
const children = new Set();
process.on('exit', () => {
  for (const child of children)
    if (child.exitCode === null && child.signalCode === null)
      child.kill('SIGTERM');
});
const CHORD = [0, 4, 7];  // C E G: z, c, b on the window's keyboard

function launch(args) {
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', ...args],
  });
}

async function play(port, work) {
  const window = process.env.WINDOW;
  const url = `http://127.0.0.1:${port}/`;
  const browser = await launch(['--autoplay-policy=no-user-gesture-required']);
  try {
    const pages = [];
    for (let n = 0; n < 2; ++n) {
      const page = await browser.newPage();
      page.on('pageerror', (error) => console.error(`page ${n + 1}:`, error.message));
      // The players gave their names on an earlier visit.
      await page.evaluateOnNewDocument((name) => localStorage.setItem('velorin.name', name), ['anna', 'ben'][n]);
      await page.goto(url, { waitUntil: 'load' });
      await page.waitForFunction(() => window.velorinPage.connected, { timeout: 10000, polling: 50 });
      pages.push(page);
    }
    const [one, two] = pages;
    // Each page's join notice reaches the other.
    await one.waitForFunction(() => window.velorinPage.log.filter((m) => m.chat !== undefined).length >= 2,
      { timeout: 5000, polling: 50 }).catch(() => fail('page 1 did not see both join notices'));
    // A page's join notice names its player, in the form of a chat line.
    await one.waitForFunction((port) => document.getElementById('received').textContent
      .includes(`ben: Connected to the Server with IP: 127.0.0.1:${port}\n`), { timeout: 5000, polling: 50 }, port)
      .catch(async () => fail(`page 1 did not see ben's join notice: ${await one.$eval('#received', (e) => e.textContent)}`));
    // A screen reader finds all 41 keys, the black ones too, by note and computer key.
    const named = [];
    const walk = (node) => {
      if (node.role === 'button' && /^[A-G]( sharp )?[4-7], key /.test(node.name))
        named.push(node.name);
      (node.children || []).forEach(walk);
    };
    walk(await one.accessibility.snapshot({ interestingOnly: false }));
    if (named.length !== 41 || !named.includes('C sharp 4, key S') || !named.includes('E7, key Delete'))
      fail(`the keys a screen reader finds: ${named.length}: ${named.slice(0, 5)}`);

    // The window connects (F3, the address, Enter); its join notice is a chat
    // line from the window to the pages.
    xdotool('windowfocus', '--sync', window);
    xdotool('key', 'F3');
    await sleep(700);
    xdotool('type', '--delay', '20', '127.0.0.1');
    xdotool('key', 'Return');
    for (const page of pages)
      await page.waitForFunction(() => document.getElementById('received').textContent
        .includes(' Connected to the Server with IP: 127.0.0.1\n'), { timeout: 10000, polling: 50 })
        .catch(() => fail('the window\'s join notice did not reach a page'));
    await sleep(1000);

    const lit = (page, keys) => page.waitForFunction((keys) => keys.every((i) =>
      document.querySelector(`.key[data-index="${i}"]`).classList.contains('other')), { timeout: 5000, polling: 50 }, keys);
    const heard = (page, keys, mine) => page.waitForFunction((keys, mine) => keys.every((i) =>
      window.velorinPage.log.some((m) => m.index === i && m.mine === mine && m.at > window.velorinMark)),
      { timeout: 5000, polling: 50 }, keys, mine);
    const mark = () => Promise.all(pages.map((p) => p.evaluate(() => { window.velorinMark = performance.timeOrigin + performance.now(); })));

    // A chord struck on page 1 with its keyboard (physical keys Z, C, B):
    // page 2 lights it in the others' colour, page 1 hears it as its own.
    await mark();
    const t1 = now();
    for (const code of ['KeyZ', 'KeyC', 'KeyB'])
      await one.keyboard.down(code);
    await lit(two, CHORD).catch(() => fail('page 1\'s chord did not light page 2\'s keys'));
    await heard(one, CHORD, true).catch(async () =>
      fail(`page 1 did not hear its own chord: ${JSON.stringify(await one.evaluate(() => [window.velorinMark, window.velorinPage.log]))}`));
    const ownLit = await one.evaluate(() => [0, 4, 7].map((i) => document.querySelector(`.key[data-index="${i}"]`).className));
    if (!ownLit.every((c) => c.includes('pressed')))
      fail(`page 1's held keys are not shown pressed: ${ownLit}`);
    for (const code of ['KeyZ', 'KeyC', 'KeyB'])
      await one.keyboard.up(code);
    await sleep(3000 - (now() - t1) * 1000);

    // One note from page 1, with the mouse. A page in a background tab gets
    // its mouse events late (it draws no frames), so page 1 comes to the front.
    await one.bringToFront();
    const box = await (await one.$('.key[data-index="2"]')).boundingBox();
    await one.mouse.move(box.x + box.width / 2, box.y + box.height - 20);
    const t2 = now();
    await one.mouse.down();
    await lit(two, [2]).catch(() => fail('page 1\'s note did not light page 2\'s key'));
    await one.mouse.up();
    await sleep(3000 - (now() - t2) * 1000);

    // A chord struck in the window lights its keys on both pages.
    await mark();
    xdotool('windowfocus', '--sync', window);
    const t3 = now();
    xdotool('keydown', 'z', 'c', 'b');
    await Promise.all(pages.map((p) => lit(p, CHORD)))
      .catch(() => fail('the window\'s chord did not light the pages\' keys'));
    xdotool('keyup', 'z', 'c', 'b');
    await sleep(1000);

    // Chat from page 1: page 2 shows it (newest first), and the window's chat
    // box changes to show it.
    const before = `${work}/chat-before.png`, after = `${work}/chat-after.png`;
    const shot = (file) => execFileSync('import', ['-window', window, '-crop', '481x75+144+100', file]);
    shot(before);
    const playing = (page) => page.evaluate(() => document.activeElement === document.getElementById('keyboard'));
    await one.type('#line', 'never mind');
    await one.keyboard.press('Escape');
    if (!await playing(one))
      fail('Escape in the chat line did not return to playing');
    await one.click('#line', { clickCount: 3 });
    await one.type('#line', 'hello from the page');
    await one.keyboard.press('Enter');
    await two.waitForFunction(() => document.getElementById('received').textContent.startsWith('anna: hello from the page\n'),
      { timeout: 5000, polling: 50 }).catch(() => fail('page 2 did not show page 1\'s chat line first'));
    if (!await playing(one))
      fail('Enter in the chat line did not return to playing');
    await sleep(500);
    shot(after);
    let differ = '0';
  try {
      execFileSync('compare', ['-metric', 'AE', before, after, 'null:'], { stdio: ['ignore', 'ignore', 'pipe'] });
    } catch (error) {
      differ = String(error.stderr).trim();  // compare exits 1 when the images differ
    }
    if (!(Number.parseFloat(differ) > 50))
      fail(`the window's chat box did not change (${differ} pixels)`);

    // Two fingers on page 2's touch screen hold a chord (C and E): page 1
    // lights it.
    await sleep(2000);
    await two.bringToFront();
    await two.setViewport({ width: 1000, height: 700, hasTouch: true });
    const touch = await two.target().createCDPSession();
    const centre = async (i) => {
      const b = await (await two.$(`.key[data-index="${i}"]`)).boundingBox();
      return { x: b.x + b.width / 2, y: b.y + b.height - 20 };
    };
    const fingers = [{ ...(await centre(0)), id: 1 }, { ...(await centre(4)), id: 2 }];
    await mark();
    const t4 = now();
    await touch.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: fingers });
    await lit(one, [0, 4]).catch(() => fail('two fingers on page 2 did not light page 1\'s keys'));
    await touch.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
    await sleep(1000);

    const latency = await one.evaluate(() => window.velorinPage.audioLatencyMs);
    console.log(`page audio output latency ${latency === undefined ? 'unknown' : latency.toFixed(1) + ' ms'}`);
    console.log(`struck ${t1.toFixed(3)} ${t2.toFixed(3)} ${t3.toFixed(3)} ${t4.toFixed(3)}`);
  } finally {
    await browser.close();
  }
}

// serv with its web door, its log in WORK; started again on the same ports.
class Serv {
  constructor(program, work) {
    this.program = program;
    this.log = `${work}/serv.log`;
    this.child = null;
  }

  async start(tcp = 0, web = 0) {
    fs.writeFileSync(this.log, '');
    const out = fs.openSync(this.log, 'a');
    const child = spawn(this.program, ['--port', String(tcp), '--bind', '127.0.0.1', '--web', String(web)],
      { stdio: ['ignore', out, out] });
    this.child = child;
    children.add(child);
    fs.closeSync(out);
    const exited = new Promise((resolve) => child.once('exit', () => { children.delete(child); resolve(); }));
    this.exited = exited;
    for (let i = 0; i < 200; ++i) {
      const text = fs.readFileSync(this.log, 'utf8');
      const door = /web door on http:\/\/\S*:(\d+)\//.exec(text);
      const relay = /listening on [0-9.]+:(\d+)/.exec(text);
      if (door && relay) {
        this.tcp = Number(relay[1]);
        this.web = Number(door[1]);
        return;
      }
      if (this.child.exitCode !== null)
        break;
      await sleep(50);
    }
    fail(`serv did not start: ${fs.readFileSync(this.log, 'utf8')}`);
  }

  // Ends serv with `signal`, and waits until its door no longer answers.
  async stop(signal) {
    if (this.child.exitCode === null && this.child.signalCode === null)
      this.child.kill(signal);
    await this.exited;
    for (let i = 0; i < 100; ++i) {
      const refused = await new Promise((resolve) => {
        const s = net.connect(this.web, '127.0.0.1');
        s.once('connect', () => { s.destroy(); resolve(false); });
        s.once('error', () => resolve(true));
      });
      if (refused)
        return;
      await sleep(100);
    }
    fail('the web door outlived serv');
  }
}

// The notes among what a TCP player received.
const notes = (text) => text.split('\r\n').filter((line) => line && !line.startsWith(':'));

// A player over TCP, as a window is: what it receives, as text.
function tcpPlayer(port) {
  const socket = net.connect(port, '127.0.0.1');
  const player = { text: '', socket, send: (t) => socket.write(t) };
  socket.on('data', (d) => { player.text += d.toString('latin1'); });
  socket.on('error', () => {});
  return new Promise((resolve) => socket.once('connect', () => resolve(player)));
}

async function until(what, test, ms = 5000) {
  for (const end = Date.now() + ms; Date.now() < end; await sleep(50))
    if (test())
      return;
  fail(what);
}

async function alone(program) {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'velorin-page-'));
  const serv = new Serv(program, work);
  await serv.start();
  // No --autoplay-policy: the browser's own, which waits for a gesture.
  const browser = await launch([]);
  try {
    const page = await browser.newPage();
    page.on('pageerror', (error) => console.error('page:', error.message));
    await page.setViewport({ width: 390, height: 844, isMobile: true, hasTouch: true });
    await page.goto(`http://127.0.0.1:${serv.web}/`, { waitUntil: 'load' });
    await page.waitForFunction(() => window.velorinPage.connected && window.velorinPage.soundReady,
      { timeout: 20000, polling: 50 }).catch(() => fail('the page did not connect and load its sound'));
    let player = await tcpPlayer(serv.tcp);
    const mark = () => page.evaluate(() => { window.velorinMark = performance.timeOrigin + performance.now(); });
    const waitHeard = (i, what) => page.waitForFunction((i) => window.velorinPage.log.some((m) => m.index === i &&
      m.at > window.velorinMark), { timeout: 5000, polling: 50 }, i).catch(() => fail(what));
    const status = () => page.evaluate(() => document.getElementById('status').textContent +
      document.getElementById('retry').textContent);

    // Sound: off until a gesture, and the page says so.
    const audio = () => page.evaluate(() => [window.velorinPage.audio.state, !document.getElementById('sound').hidden,
      document.getElementById('audio').textContent]);
    const [state, button, footer] = await audio();
    if (state !== 'suspended')
      fail(`the browser started sound without a gesture (${state}): nothing here is checked`);
    if (!button || /latency/.test(footer))
      fail(`with the sound off the page shows ${button ? 'its button' : 'no button'} and "${footer}"`);
    // A meter on the page's output, and a chord from a window while the
    // sound is off: nothing is kept for later.
    await page.evaluate(() => {
      const meter = window.velorinPage.audio.createAnalyser();
      meter.fftSize = 2048;
      window.velorinPage.output.connect(meter);
      window.velorinPeak = (ms) => new Promise((resolve) => {
        const samples = new Float32Array(meter.fftSize);
        let peak = 0;
        const timer = setInterval(() => {
          meter.getFloatTimeDomainData(samples);
          for (const v of samples)
            peak = Math.max(peak, Math.abs(v));
        }, 20);
        setTimeout(() => { clearInterval(timer); resolve(peak); }, ms);
      });
    });
    await mark();
    player.send('0\r\n4\r\n7\r\n');
    await waitHeard(7, 'the chord did not reach the page');
    // A tap on the page's background, not on a key, turns the sound on.
    await page.touchscreen.tap(380, 830);
    await page.waitForFunction(() => window.velorinPage.audio.state === 'running', { timeout: 5000, polling: 50 })
      .catch(() => fail('a tap on the page did not start its sound'));
    await page.waitForFunction(() => document.getElementById('sound').hidden &&
      /output latency/.test(document.getElementById('audio').textContent), { timeout: 2000, polling: 50 })
      .catch(async () => fail(`the page does not show that its sound is on: ${JSON.stringify(await audio())}`));
    const kept = await page.evaluate(() => window.velorinPeak(1000));
    if (kept > 0.001)
      fail(`the chord struck while the sound was off played when it came on (peak ${kept})`);
    player.send('0\r\n4\r\n7\r\n');
    const loud = await page.evaluate(() => window.velorinPeak(1500));
    if (!(loud > 0.01))
      fail(`a listener does not hear the window's chord (peak ${loud})`);
    console.log(`peak ${kept.toFixed(4)} before the chord, ${loud.toFixed(4)} with it`);
    // From here on an organ, whose notes end after a beat, so that silence
    // can be heard.
    await page.select('#instrument', '19');

    // Portrait: white keys a finger wide, an octave at a time, every key
    // reachable.
    const widths = await page.$$eval('.key.white:not([hidden])', (ks) => ks.map((k) => k.getBoundingClientRect().width));
    if (widths.length < 7 || Math.min(...widths) < 38)
      fail(`white keys in portrait: ${widths.map((w) => w.toFixed(1))}`);
    const tapKey = async (i) => {
      const box = await (await page.$(`.key[data-index="${i}"]`)).boundingBox();
      if (!box)
        fail(`key ${i} is not shown`);
      await page.touchscreen.tap(box.x + box.width / 2, box.y + box.height - 20);
    };
    for (let n = 0; n < 5 && !await page.$eval('#higher', (b) => b.disabled); ++n)
      await page.tap('#higher');
    player.text = '';
    await tapKey(40);
    await tapKey(39);
    for (let n = 0; n < 5 && !await page.$eval('#lower', (b) => b.disabled); ++n)
      await page.tap('#lower');
    await tapKey(0);
    await until(`the top and bottom keys tapped in portrait did not reach the window: ${JSON.stringify(player.text)}`,
      () => notes(player.text).join(' ') === '40 39 0');

    // serv ends, by a signal it handles and by one it cannot; the page says
    // so, plays for itself and comes back by itself once serv is there again.
    for (const signal of ['SIGTERM', 'SIGKILL']) {
      await serv.stop(signal);
      await page.waitForFunction(() => /reconnecting/.test(document.getElementById('status').textContent) &&
        / in \d+ s/.test(document.getElementById('retry').textContent), { timeout: 10000, polling: 50 })
        .catch(async () => fail(`after ${signal} the page shows "${await status()}"`));
      const said = await status();
      await page.keyboard.press('KeyX');  // key 2
      await sleep(2500);  // a few attempts fail meanwhile
      await serv.start(serv.tcp, serv.web);
      const restarted = Date.now();
      await page.waitForFunction(() => window.velorinPage.connected, { timeout: 10000, polling: 50 })
        .catch(async () => fail(`after ${signal} and a restart the page did not reconnect within 10 s: "${await status()}"`));
      console.log(`${signal}: "${said}"; back ${((Date.now() - restarted) / 1000).toFixed(1)} s after the restart`);
      player = await tcpPlayer(serv.tcp);
      await page.keyboard.press('KeyC');  // key 4
      await until(`after ${signal} the page's key did not reach the window: ${JSON.stringify(player.text)}`,
        () => notes(player.text).includes('4'));
      if (notes(player.text).join(' ') !== '4')
        fail(`the key pressed while serv was away was kept for later: ${JSON.stringify(player.text)}`);
      if (!await page.evaluate(() => window.velorinPage.local.some((m) => m.index === 2 && m.at > Date.now() - 60000)))
        fail('the key pressed while serv was away did not sound on the page');
    }

    // The network goes for a few seconds: the page notices, a key sounds
    // here only, and nothing from meanwhile comes in a burst afterwards.
    const cdp = await page.target().createCDPSession();
    const network = (offline) => cdp.send('Network.emulateNetworkConditions',
      { offline, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
    await cdp.send('Network.enable');
    await mark();
    await network(true);
    player.text = '';
    player.send('5\r\n9\r\n');
    await page.waitForFunction(() => !window.velorinPage.connected && /reconnecting/.test(document.getElementById('status').textContent),
      { timeout: 8000, polling: 50 }).catch(async () => fail(`the network went, and the page shows "${await status()}"`));
    const away = await status();
    await page.keyboard.press('KeyM');  // key 11
    await network(false);
    await page.waitForFunction(() => window.velorinPage.connected, { timeout: 10000, polling: 50 })
      .catch(async () => fail(`the network came back and the page did not: "${await status()}"`));
    await page.keyboard.press('KeyB');  // key 7
    await until(`after the network came back the page's key did not reach the window: ${JSON.stringify(player.text)}`,
      () => notes(player.text).includes('7'));
    await sleep(500);
    const burst = await page.evaluate(() => window.velorinPage.log.filter((m) => (m.index === 5 || m.index === 9) &&
      !m.late && m.at > window.velorinMark));
    if (burst.length)
      fail(`the window's chord from while the network was gone sounded afterwards: ${JSON.stringify(burst)}`);
    if (notes(player.text).includes('11'))
      fail(`the key pressed while the network was gone reached the window afterwards: ${JSON.stringify(player.text)}`);
    console.log(`network gone: "${away}"`);

    // The page stands still for 2.5 s (a busy or sleeping computer): the
    // note that came meanwhile is late and does not sound; the next does.
    await sleep(1500);
    await cdp.send('Debugger.enable');
    await mark();
    await cdp.send('Debugger.pause');
    await sleep(300);
    player.send('9\r\n');
    await sleep(2500);
    await cdp.send('Debugger.resume');
    await waitHeard(9, 'the note that came while the page stood still never arrived');
    const stale = await page.evaluate(() => window.velorinPeak(800));
    player.send('12\r\n');
    await waitHeard(12, 'the note after the page stood still never arrived');
    const fresh = await page.evaluate(() => window.velorinPeak(800));
    if (!(stale < 0.001 && fresh > 0.01))
      fail(`late notes: the one held up sounded at peak ${stale}, the next at ${fresh}`);
    console.log(`stood still: the late note at peak ${stale.toFixed(4)}, the next ${fresh.toFixed(4)}`);
    player.socket.destroy();
  } finally {
    await browser.close();
    await serv.stop('SIGTERM');
  }
  fs.rmSync(work, { recursive: true, force: true });
  console.log('1 passed, 0 failed');
}

const [what, ...args] = process.argv.slice(2);
if (what === 'play')
  await play(...args);
else if (what === 'alone')
  await alone(...args);
else
  fail(`usage: browser_e2e.mjs play PORT WORK | alone SERV (not ${what})`);
