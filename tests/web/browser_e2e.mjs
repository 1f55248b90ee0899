// The browser's half of browser_e2e.sh: two pages of the lobby, a window
// reached with xdotool ($WINDOW). Prints "struck T1 T2 T3", the wall-clock
// seconds at which the page's chord, the page's note, the window's chord and
// the chord of two fingers on page 2 were struck.
import { execFileSync } from 'node:child_process';
import puppeteer from 'puppeteer-core';

const [port, work] = process.argv.slice(2);
const window = process.env.WINDOW;
const url = `http://127.0.0.1:${port}/`;
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const xdotool = (...args) => execFileSync('xdotool', args);
const now = () => Date.now() / 1000;
const fail = (what) => { console.error('FAIL:', what); process.exit(1); };
const CHORD = [0, 4, 7];  // C E G: z, c, b on the window's keyboard

const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required'],
});
try {
  const pages = [];
  for (let n = 0; n < 2; ++n) {
    const page = await browser.newPage();
    page.on('pageerror', (error) => console.error(`page ${n + 1}:`, error.message));
    await page.goto(url, { waitUntil: 'load' });
    await page.waitForFunction(() => window.velorinPage.connected, { timeout: 10000, polling: 50 });
    pages.push(page);
  }
  const [one, two] = pages;
  // Each page's join notice reaches the other.
  await one.waitForFunction(() => window.velorinPage.log.filter((m) => m.chat !== undefined).length >= 2,
    { timeout: 5000, polling: 50 }).catch(() => fail('page 1 did not see both join notices'));

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
  await one.type('#line', 'hello from the page');
  await one.keyboard.press('Enter');
  await two.waitForFunction(() => document.getElementById('received').textContent.startsWith('web: hello from the page\n'),
    { timeout: 5000, polling: 50 }).catch(() => fail('page 2 did not show page 1\'s chat line first'));
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
