// The browser's half of bench/browser_latency.sh.
import { createRequire } from 'node:module';
import net from 'node:net';
import path from 'node:path';
import { performance } from 'node:perf_hooks';

const require = createRequire(path.resolve('tests/web/package.json'));
const puppeteer = require('puppeteer-core');
const [web, tcp, count] = process.argv.slice(2).map(Number);
const arrivals = [];
const window = net.connect(tcp, '127.0.0.1');
window.setNoDelay(true);
let partial = '';
window.on('data', (data) => {
  const at = performance.timeOrigin + performance.now();
  partial += data.toString();
  const lines = partial.split('\r\n');
  partial = lines.pop();
  for (const line of lines)
    if (/^\d+$/.test(line))
      arrivals.push(at);
});
await new Promise((resolve) => window.on('connect', resolve));

const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true,
  args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required'] });
try {
  const page = await browser.newPage();
  const start = performance.now();
  await page.goto(`http://127.0.0.1:${web}/`, { waitUntil: 'load' });
  const loaded = performance.now() - start;
  // A second load, as a player who comes back: Chromium's own start-up is
  // out of it.
  const again = performance.now();
  await page.reload({ waitUntil: 'load' });
  const reloaded = performance.now() - again;
  await page.waitForFunction(() => window.velorinPage.connected, { polling: 50 });
  await page.waitForFunction(() => window.velorinPage.soundReady, { polling: 50, timeout: 30000 }).catch(() => {});
  await new Promise((resolve) => setTimeout(resolve, 500));
  // The page plays by itself, so that no round trip to puppeteer is timed.
  await page.evaluate((count) => new Promise((resolve) => {
    let n = 0;
    const timer = setInterval(() => {
      const i = n % 41;
      window.velorinPage.press(i);
      window.velorinPage.release(i);
      if (++n === count) {
        clearInterval(timer);
        resolve();
      }
    }, 50);
  }), count);
  await new Promise((resolve) => setTimeout(resolve, 1000));
  const sent = await page.evaluate(() => window.velorinPage.sent.map((s) => s.at));
  const audio = await page.evaluate(() => window.velorinPage.audioLatencyMs);
  if (sent.length !== count || arrivals.length !== count) {
    console.error(`sent ${sent.length}, arrived ${arrivals.length} of ${count}`);
    process.exit(1);
  }
  const ms = sent.map((at, k) => arrivals[k] - at).sort((a, b) => a - b);
  const q = (p) => ms[Math.min(ms.length - 1, Math.floor(p * ms.length))];
  console.log(`browser -> serv -> window: ${count} notes, median ${q(0.5).toFixed(2)} ms, ` +
    `p99 ${q(0.99).toFixed(2)} ms, worst ${ms[ms.length - 1].toFixed(2)} ms; ` +
    `browser's audio output latency ${audio === undefined ? 'unknown' : audio.toFixed(1) + ' ms'}; ` +
    `page load ${loaded.toFixed(0)} ms first, ${reloaded.toFixed(0)} ms again`);
} finally {
  await browser.close();
  window.end();
}
