// quarnel.html on a 1,000,000-line template in headless Chromium (or QUARNEL_BROWSER=firefox, or
// webkit under xvfb-run): go, Next Tile Type, a press and an arrow, each from the event to the
// repaint; saving with "shorten the rest" beside the native command; the page's size. A benchmark,
// never a test.
// Usage: node bench/web/page.mjs [quarnel.html] [quarnel-shorten]   (from the top folder; needs
// tests/web/node_modules, installed by scripts/setup)
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';

const top = path.resolve(import.meta.dirname, '../..');
const require = createRequire(path.join(top, 'tests/web/package.json'));
const puppeteer = require('puppeteer-core');
const pagePath = path.resolve(process.argv[2] || path.join(top, 'build-web/quarnel.html'));
const shorten = path.resolve(process.argv[3] || path.join(top, 'build/cli/quarnel-shorten'));
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'quarnel-web-bench-'));
const template = path.join(work, 'million.tmp');
const engine = process.env.QUARNEL_BROWSER || 'chromium';

// 1,000,000 tile records of 1,000 types over 10 layers, from a fixed seed.
{
  let seed = 1;
  const next = (n) => { seed = (seed * 1103515245 + 12345) % 2147483648; return seed % n; };
  const lines = ['Bench\r\n', ' (a million tile records)\r\n'];
  for (let i = 0; i < 1000000; ++i) {
    const type = next(1000);
    lines.push(`${type % 97} ${Math.floor(type / 97)} ${next(51)} ${next(51)} ${next(10)}\r\n`);
  }
  fs.writeFileSync(template, lines.join(''));
}

let browser;
let page;
if (engine === 'webkit') {
  const { launchWebKit } = await import(path.join(top, 'tests/web/webkit.js'));
  ({ browser, page } = await launchWebKit({ width: 1230, height: 610 }));
} else {
  browser = await puppeteer.launch(engine === 'firefox' ? {
    browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true,
    extraPrefsFirefox: { 'browser.download.folderList': 2, 'browser.download.dir': work,
                         'browser.download.useDownloadDir': true,
                         'browser.download.always_ask_before_handling_new_types': false },
  } : { executablePath: '/usr/bin/chromium', headless: true,
        args: process.getuid() === 0 ? ['--no-sandbox'] : [] });
  page = await browser.newPage();
  if (engine === 'chromium') {
    const cdp = await page.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: work });
    // Saving as a download: headless Chromium's own save picker would answer at once with a cancel.
    await page.evaluateOnNewDocument(() => { delete window.showSaveFilePicker; });
  }
  await page.setViewport({ width: 1230, height: 610 });
}
await page.goto('file://' + pagePath);
await page.waitForFunction(() => document.body.dataset.idle === document.body.dataset.sent);
// From the event's time stamp to the frame after the worker's answer was drawn.
await page.evaluate(() => {
  window.benchStart = 0;
  for (const type of ['mousedown', 'keydown', 'click']) {
    document.addEventListener(type, (event) => { window.benchStart = event.timeStamp; }, true);
  }
  document.addEventListener('quarnel-drawn', () => requestAnimationFrame(() => {
    window.benchTook = performance.now() - window.benchStart;
  }));
});
async function timed(action) {
  await page.evaluate(() => { window.benchTook = undefined; });
  await action();
  await page.waitForFunction(() => window.benchTook !== undefined, { timeout: 120000 });
  return page.evaluate(() => window.benchTook);
}
async function median(times, action) {
  const took = [];
  for (let i = 0; i < times; ++i) took.push(await timed(action));
  return took.sort((a, b) => a - b)[Math.floor(times / 2)];
}
const picture = await (await page.$('#Picture1')).boundingBox();
// A red square of the shown layer, found on the canvas.
const redCell = () => page.evaluate(() => {
  const data = document.getElementById('Picture1').getContext('2d').getImageData(0, 0, 585, 511).data;
  for (let row = 0; row < 51; ++row) for (let column = 0; column < 51; ++column) {
    const at = ((row * 10 + 4) * 585 + column * 10 + 4) * 4;
    if (data[at] > 200 && data[at + 1] < 50) return [column, row];
  }
  return null;
});

await (await page.$('#thefile')).uploadFile(template);
await page.waitForFunction(() => document.body.dataset.idle === document.body.dataset.sent);
const go = await median(3, () => page.click('#Command2'));
const nextTile = await median(5, () => page.click('#NextTile'));
const pressTimes = [];
for (let i = 0; i < 5; ++i) {
  const [column, row] = await redCell();
  pressTimes.push(await timed(() => page.mouse.click(picture.x + column * 10 + 4, picture.y + row * 10 + 4)));
}
const press = pressTimes.sort((a, b) => a - b)[2];
const arrow = await median(9, () => page.keyboard.press('ArrowRight'));

// Long work: each step to the end of its answer, and the longest the page went without running a
// timer meanwhile (its main thread's longest stall).
await page.evaluate(() => {
  window.benchLongest = 0;
  // The main thread's long tasks where the engine reports them; elsewhere a timer's late runs.
  if (PerformanceObserver.supportedEntryTypes?.includes('longtask')) {
    new PerformanceObserver((list) => {
      for (const task of list.getEntries()) window.benchLongest = Math.max(window.benchLongest, task.duration);
    }).observe({ type: 'longtask' });
    return;
  }
  let last = performance.now();
  setInterval(() => {
    const now = performance.now();
    window.benchLongest = Math.max(window.benchLongest, now - last - 5);
    last = now;
  }, 5);
});
async function long(action, done) {
  await page.evaluate(() => { window.benchLongest = 0; });
  const start = Date.now();
  await action();
  await done();
  return { took: Date.now() - start, longest: await page.evaluate(() => window.benchLongest) };
}
const idle = () => page.waitForFunction(
  () => document.body.dataset.idle === document.body.dataset.sent, { timeout: 600000, polling: 20 });
const autoAll = await long(() => page.select('#AutoMany', 'types'), idle);
const records = path.join(work, 'records.txt');
fs.writeFileSync(records, await page.$eval('#comlist', (box) => box.CodeMirror.getValue().replace(/\n/g, '\r\n')));
const recordLines = await page.$eval('#comlist', (box) => box.CodeMirror.lineCount() - 1);

// WebKit's MiniBrowser asks before a download: there, to the download offered.
if (engine === 'webkit') {
  await page.evaluate(() => { HTMLAnchorElement.prototype.click = () => { window.benchOffered = true; }; });
}
const saved = path.join(work, 'million-short.tmp');
const savedYet = async () => (engine === 'webkit' ? page.evaluate(() => window.benchOffered)
  : fs.existsSync(saved) && !fs.existsSync(saved + '.crdownload') && !fs.existsSync(saved + '.part'));
async function saveOnce() {
  fs.rmSync(saved, { force: true });
  await page.evaluate(() => { window.benchOffered = false; });
  return long(() => page.click('#Save'), async () => {
    while (!(await savedYet())) await new Promise((r) => setTimeout(r, 20));
  });
}
const save = await saveOnce();
await page.click('#shortenRest');
const saveRest = await saveOnce();
await idle();
const undo = await long(async () => {
  await page.focus('#Command2');
  await page.keyboard.down('Control');
  await page.keyboard.press('z');
  await page.keyboard.up('Control');
}, idle);
await browser.close();

// The command's time varies most from run to run: the median of five.
const native = (command) => {
  const runs = [];
  for (let run = 0; run < 5; ++run) {
    const start = process.hrtime.bigint();
    execFileSync('/bin/sh', ['-c', command], { stdio: 'ignore' });
    runs.push(Number(process.hrtime.bigint() - start) / 1e6);
  }
  return runs.sort((a, b) => a - b)[2];
};
const alone = native(`"${shorten}" "${template}" >/dev/null`);
const apply = native(`"${shorten}" --apply "${records}" "${template}" >/dev/null`);
const applied = native(`"${shorten}" --apply "${records}" "${template}" | "${shorten}" - >/dev/null`);
const ms = (value) => `${value.toFixed(0)} ms`;
const longRow = (what, step, versus, ms) =>
  `| ${what} | ${step.took} ms | ${step.longest.toFixed(0)} ms | ${versus} | ${(step.took / ms).toFixed(2)}× |`;
console.log(`| step (1,000,000 lines, ${engine}) | event to repaint |
|---|---|
| go | ${ms(go)} |
| Next Tile Type | ${ms(nextTile)} |
| a press on a red square | ${ms(press)} |
| an arrow on the grid | ${ms(arrow)} |
| quarnel.html | ${fs.statSync(pagePath).size} bytes |

| long work (${recordLines} records) | took | longest stall | the command | × the command |
|---|---:|---:|---|---:|
${longRow('Auto all, every type', autoAll, `quarnel-shorten TEMPLATE: ${ms(alone)}`, alone)}
| its undo | ${undo.took} ms | ${undo.longest.toFixed(0)} ms | | |
${longRow('Save', save, `--apply: ${ms(apply)}`, apply)}
${longRow('Save, the rest shortened', saveRest, `--apply \\| quarnel-shorten -: ${ms(applied)}`, applied)}`);
fs.rmSync(work, { recursive: true, force: true });
