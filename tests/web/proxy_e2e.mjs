// The browser's half of proxy_e2e.sh. Arguments: the port of nginx in front
// of one serv, that serv's TCP port (a window's), and the port of nginx in
// front of two. $SPKI is the hash of the test's certificate's key.
import net from 'node:net';
import puppeteer from 'puppeteer-core';

const [alonePort, windowPort, scaledPort] = process.argv.slice(2);
const fail = (what) => { console.error('FAIL:', what); process.exit(1); };
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', `--ignore-certificate-errors-spki-list=${process.env.SPKI}`],
});
try {
  // A window on the TCP port hears the page join over wss, and the page
  // hears the window.
  const window = net.connect(Number(windowPort), '127.0.0.1');
  let heard = '';
  window.on('data', (bytes) => { heard += bytes.toString('latin1'); });
  await new Promise((resolve, reject) => { window.on('connect', resolve); window.on('error', reject); });

  const page = await browser.newPage();
  page.on('pageerror', (error) => console.error('page:', error.message));
  const fonts = [];
  page.on('response', (r) => { if (r.url().endsWith('/soundfont.sf2')) fonts.push(r.status()); });
  const site = `https://127.0.0.1:${alonePort}`;
  await page.goto(`${site}/`, { waitUntil: 'load' });
  await page.waitForFunction(() => window.velorinPage.connected, { timeout: 15000, polling: 50 })
    .catch(() => fail('the page did not join over wss'));
  // The page's join notice names the address it was opened at, the proxy's.
  const joined = `: Connected to the Server with IP: 127.0.0.1:${alonePort}\r\n`;
  for (let i = 0; i < 100 && !heard.includes(joined); ++i)
    await sleep(50);
  if (!heard.includes(joined))
    fail(`the window did not hear the page join: ${JSON.stringify(heard)}`);
  window.write('12\r\n');
  await page.waitForFunction(() => window.velorinPage.log.some((m) => m.index === 12), { timeout: 5000, polling: 50 })
    .catch(() => fail('the page did not hear the window'));
  window.end();

  // The SoundFont is in; a second visit only asks whether it changed.
  await page.waitForFunction(() => performance.getEntriesByName(location.origin + '/soundfont.sf2').length > 0,
    { timeout: 15000, polling: 100 }).catch(() => fail('the page never loaded the SoundFont'));
  await sleep(300);
  await page.goto(`${site}/r/band`, { waitUntil: 'load' });
  await page.waitForFunction(() => performance.getEntriesByName(location.origin + '/soundfont.sf2').length > 0,
    { timeout: 15000, polling: 100 });
  console.log('SoundFont answers:', fonts.join(' '));

  // Nothing at an address: the browser shows the door's page, not an error
  // of its own.
  const missing = await page.goto(`${site}/r/${'x'.repeat(33)}`, { waitUntil: 'load' });
  const said = await page.evaluate(() => document.body.innerText);
  if (missing.status() !== 404 || !said.includes('Not found'))
    fail(`a bad room shows ${missing.status()}: ${JSON.stringify(said.slice(0, 200))}`);

  // Two servers: in each room one member speaks and the other hears it, and
  // no other room does. One room at a time, so that the bounds per address
  // stay out of it.
  await page.goto(`https://127.0.0.1:${scaledPort}/`, { waitUntil: 'load' });
  await page.waitForFunction(() => window.velorinPage.connected, { timeout: 15000, polling: 50 })
    .catch(() => fail('the page did not join the lobby behind two servers'));
  const result = await page.evaluate(async () => {
    const open = (room) => new Promise((resolve, reject) => {
      const ws = new WebSocket(`wss://${location.host}/r/${room}`);
      ws.got = [];
      ws.onmessage = (e) => ws.got.push(String(e.data));
      ws.onopen = () => resolve(ws);
      ws.onerror = () => reject(new Error(`cannot join ${room}`));
    });
    const quiet = await open('quiet');
    for (let n = 0; n < 12; ++n) {
      const room = `r${n}`;
      const [a, b] = [await open(room), await open(room)];
      a.send(`:a: in ${room}`);
      for (let i = 0; i < 100 && !b.got.includes(`:a: in ${room}`); ++i)
        await new Promise((resolve) => setTimeout(resolve, 20));
      if (!b.got.includes(`:a: in ${room}`))
        return `room ${room} did not hear its member`;
      a.close();
      b.close();
    }
    return quiet.got.length ? `the quiet room heard ${quiet.got}` : 'ok';
  });
  if (result !== 'ok')
    fail(result);
} finally {
  await browser.close();
}
