// quarnel.html in Debian's Chromium, Firefox ESR or WebKitGTK (QUARNEL_BROWSER=chromium|firefox|
// webkit; WebKit on a display such as xvfb-run's), driven with real mouse and key events, one
// browser for the whole suite. QUARNEL_PAGE names the page, QUARNEL_SHORTEN the Linux build's
// command.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';
import { launchWebKit } from './webkit.js';

const top = path.resolve(import.meta.dirname, '../..');
const pagePath = process.env.QUARNEL_PAGE || path.join(top, 'build-web/quarnel.html');
const shorten = process.env.QUARNEL_SHORTEN || path.join(top, 'build/cli/quarnel-shorten');
const castle = path.join(top, 'examples/castle.tmp');
const axeSource = fs.readFileSync(path.join(import.meta.dirname, 'node_modules/axe-core/axe.min.js'), 'utf8');
const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'quarnel-web-'));
const firefox = process.env.QUARNEL_BROWSER === 'firefox';
const webkit = process.env.QUARNEL_BROWSER === 'webkit';

let browser;
let page;
const requests = [];  // every request the page attempted beyond its own file

before(async () => {
  if (webkit) {
    // No request interception here: the resource timings stand in for it (the last tests).
    ({ browser, page } = await launchWebKit({ width: 1230, height: 610 }));
    await page.goto('file://' + pagePath);
    await idle();
    return;
  }
  // Firefox through WebDriver BiDi, which sets no download folder: its preferences do.
  browser = await puppeteer.launch(firefox ? {
    browser: 'firefox',
    executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
    headless: true,
    extraPrefsFirefox: {
      'browser.download.folderList': 2,
      'browser.download.dir': downloads,
      'browser.download.useDownloadDir': true,
      'browser.download.always_ask_before_handling_new_types': false,
    },
  } : {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: process.getuid && process.getuid() === 0 ? ['--no-sandbox'] : [],
  });
  page = await browser.newPage();
  await page.setRequestInterception(true);
  page.on('request', (request) => {
    const url = request.url();
    if (url === 'file://' + pagePath || url.startsWith('blob:')) return request.continue();
    requests.push(url);
    request.abort();
  });
  if (!firefox) {
    const session = await page.createCDPSession();
    await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  }
  await page.setViewport({ width: 1230, height: 610, deviceScaleFactor: 1 });
  await page.goto('file://' + pagePath);
  await idle();
});

after(async () => {
  await browser?.close();
  fs.rmSync(downloads, { recursive: true, force: true });
});

// Waits until the worker has answered every event sent so far, and the page has drawn.
async function idle() {
  await page.waitForFunction(() => document.body.dataset.idle === document.body.dataset.sent,
                             { timeout: 20000 });
  await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => done())));
}
// An action, and the events it sends answered; one that sends none settles in a moment.
async function act(action) {
  await action();
  await new Promise((done) => setTimeout(done, 20));
  await idle();
}
// An action that sends an event, and its answer: for keys whose events a browser may dispatch
// after the action has returned.
async function sends(action) {
  const before = await page.evaluate(() => Number(document.body.dataset.sent));
  await action();
  await page.waitForFunction((before) => Number(document.body.dataset.sent) > before, {}, before);
  await idle();
}
const status = () => page.$$eval('#status > div', (rows) => rows.map((row) => row.textContent));
// The canvas point over a cell's square, in page coordinates.
async function cellPoint(column, row) {
  const box = await (await page.$('#Picture1')).boundingBox();
  return { x: box.x + column * 10 + 4, y: box.y + row * 10 + 4 };
}
// The colour shown at a cell's square, read from the canvas: "red", "blue", "green" or "black".
async function colourAt(column, row) {
  return page.evaluate((x, y) => {
    const canvas = document.getElementById('Picture1');
    const scale = canvas.width / 585;
    const [r, g, b] = canvas.getContext('2d').getImageData(x * scale, y * scale, 1, 1).data;
    return r > 200 ? 'red' : g > 200 ? 'green' : b > 200 ? 'blue' : 'black';
  }, column * 10 + 4, row * 10 + 4);
}
async function redSquares() {
  return page.evaluate(() => {
    const canvas = document.getElementById('Picture1');
    const scale = canvas.width / 585;
    const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let red = 0;
    for (let row = 0; row < 51; ++row) {
      for (let column = 0; column < 51; ++column) {
        const at = ((row * 10 + 4) * scale * canvas.width + (column * 10 + 4) * scale) * 4;
        if (data[at] > 200 && data[at + 2] < 50) ++red;
      }
    }
    return red;
  });
}
async function press(column, row, button) {
  const { x, y } = await cellPoint(column, row);
  await act(async () => {
    await page.mouse.move(x, y);
    await page.mouse.down({ button });
    await page.mouse.up({ button });
  });
}
async function choose(file) {
  await act(async () => (await page.$('#thefile')).uploadFile(file));
  await act(() => page.click('#Command2'));
}
// The output box's text as its editor holds it, and the caret put at a place in it.
const boxText = () => page.$eval('#comlist', (box) => box.CodeMirror.getValue());
const caretAt = (at) => page.$eval('#comlist', (box, at) => {
  box.CodeMirror.focus();
  box.CodeMirror.setCursor(box.CodeMirror.posFromIndex(at));
}, at);
const emptyBox = () => act(() => page.$eval('#comlist', (box) => box.CodeMirror.setValue('')));
// go on a template with the output box emptied first.
async function fresh(file) {
  await emptyBox();
  await choose(file);
}
// What axe-core finds on the page as it stands, as "rule: elements".
async function axeFindings() {
  if (!(await page.evaluate(() => !!window.axe))) await page.evaluate(axeSource);
  return page.evaluate(async () => (await window.axe.run(document)).violations
    .map((found) => `${found.id}: ${found.nodes.map((node) => node.target.join(' ')).join(', ')}`));
}
const asked = () => page.$eval('#question', (dialog) => dialog.open && dialog.textContent);
const fault = () => page.$eval('#fault', (dialog) => dialog.open && dialog.textContent);
async function control(key) {
  await act(async () => {
    await page.keyboard.down('Control');
    await page.keyboard.press(key);
    await page.keyboard.up('Control');
  });
}
async function downloaded(name) {
  // WebKit's MiniBrowser saves no download without asking: the page's offer is read instead.
  if (webkit) {
    await page.waitForFunction(() => window.offered);
    const offered = await page.evaluate(() => window.offered);
    assert.equal(offered.name, name);
    return Buffer.from(offered.bytes);
  }
  const file = path.join(downloads, name);
  // Firefox puts an empty file under the name at once and its bytes into NAME.part.
  const done = () => fs.existsSync(file) && !fs.existsSync(file + '.part');
  for (let tries = 0; tries < 200 && !done(); ++tries) {
    await new Promise((wait) => setTimeout(wait, 25));
  }
  const bytes = fs.readFileSync(file);
  fs.rmSync(file);
  return bytes;
}
const records = async () => (await boxText()).replace(/\n/g, '\r\n');
// What `quarnel-shorten --apply` writes for the box's records.
async function applied(template) {
  const recordsFile = path.join(downloads, 'records.txt');
  fs.writeFileSync(recordsFile, await records());
  return execFileSync(shorten, ['--apply', recordsFile, template], { stdio: ['ignore', 'pipe', 'ignore'] });
}
// The browser's save picker as a test wants it: one that writes into the page under the name the
// user chose, one the user cancels, one whose write fails, or none (Firefox and WebKit have none).
async function picker(kind) {
  await page.evaluate((kind, webkit) => {
    delete window.showSaveFilePicker;
    delete Window.prototype.showSaveFilePicker;
    window.written = null;
    if (kind === 'none' && webkit) {
      // The download link's name and bytes, kept instead of a download MiniBrowser would ask about.
      const blobs = new Map();
      const create = URL.createObjectURL;
      URL.createObjectURL = (blob) => {
        const url = create.call(URL, blob);
        blobs.set(url, blob);
        return url;
      };
      HTMLAnchorElement.prototype.click = async function () {
        const bytes = new Uint8Array(await blobs.get(this.href).arrayBuffer());
        window.offered = { name: this.download, bytes: [...bytes] };
      };
    }
    if (kind === 'none') return;
    window.showSaveFilePicker = async (options) => {
      window.suggested = options.suggestedName;
      await new Promise((chosen) => setTimeout(chosen, 50));  // the user takes a moment
      if (kind === 'cancel') throw new DOMException('The user aborted a request.', 'AbortError');
      const chunks = [];
      return {
        name: 'chosen.tmp',
        createWritable: async () => ({
          write: async (bytes) => {
            if (kind === 'fail') throw new DOMException('no space left', 'QuotaExceededError');
            for (const byte of new Uint8Array(bytes)) chunks.push(byte);
          },
          close: async () => { window.written = chunks; },
          abort: async () => {},
        }),
      };
    };
  }, kind, webkit);
}
const written = async () => Buffer.from(await page.evaluate(() => window.written));
const title = () => page.title();
// What leaving the page does: true when the page asks first.
const leaveAsks = () => page.evaluate(() => {
  const leaving = new Event('beforeunload', { cancelable: true });
  window.dispatchEvent(leaving);
  return leaving.defaultPrevented;
});

test('a template is marked, covered, undone and saved as quarnel-shorten --apply writes it', async () => {
  assert.match((await status())[0], /^choose a template with "\.\.\." or drop one here, then press go/);
  assert.deepEqual(await axeFindings(), [], 'as opened');
  await choose(castle);
  assert.match((await status())[0], /^type 14 0, 1st shown of 5 types/);
  assert.deepEqual(await axeFindings(), [], 'after go');

  // A left press for the first corner, a right press for the second.
  assert.equal(await colourAt(10, 8), 'red');
  await press(10, 8, 'left');
  assert.equal(await colourAt(10, 8), 'green');
  await press(12, 10, 'right');
  assert.match((await status())[2], /^marked: TILEW 14 0 /);
  assert.equal(await colourAt(11, 9), 'blue');
  assert.equal((await records()).split('\r\n').filter(Boolean).length, 1);

  // Another layer and back: the mark is remembered.
  await act(() => page.keyboard.press('PageUp'));
  assert.equal(await page.$eval('#zval', (box) => box.value), '1');
  await act(() => page.keyboard.press('PageDown'));
  assert.equal(await page.$eval('#zval', (box) => box.value), '0');
  assert.equal(await colourAt(11, 9), 'blue');

  // Auto covers every red square; Ctrl+Z takes it back as one.
  assert.ok(await redSquares() > 0);
  await act(() => page.click('#Auto'));
  assert.equal(await redSquares(), 0);
  await act(() => page.click('#Picture1', { offset: { x: 2, y: 2 } }));
  await act(async () => {
    await page.keyboard.down('Control');
    await page.keyboard.press('z');
    await page.keyboard.up('Control');
  });
  assert.match((await status())[2], /^undone: (Auto, \d+ records|TILEW 14 0 )/);
  assert.ok(await redSquares() > 0);
  // Redone with Ctrl+Shift+Z and undone again with Ctrl+Z.
  for (const [keys, said, red] of [[['Control', 'Shift', 'Z'], /^redone: /, false],
                                   [['Control', 'z'], /^undone: /, true]]) {
    await act(async () => {
      for (const key of keys) await page.keyboard.down(key);
      for (const key of keys.reverse()) await page.keyboard.up(key);
    });
    assert.match((await status())[2], said);
    assert.equal(await redSquares() > 0, red);
  }
  assert.equal(await colourAt(11, 9), 'blue');

  // The keyboard marks too, from the cell under the pointer: Space for the first corner, an arrow,
  // Enter for the second.
  const { x, y } = await cellPoint(14, 12);
  await act(() => page.mouse.move(x, y));
  await act(() => page.keyboard.press(' '));
  assert.equal(await colourAt(14, 12), 'green');
  await act(() => page.keyboard.press('ArrowRight'));
  await act(() => page.keyboard.press('Enter'));
  assert.match((await status())[2], /^marked: TILEW 14 0 /);

  // Saving writes what the command writes, byte for byte, with and without shortening the rest.
  const withRecords = await applied(castle);
  // Shortening the rest never gives more lines than shortening the template alone: the shorter.
  const lines = (text) => text.toString().split('\n').length;
  const shortened = [execFileSync(shorten, ['-'], { input: withRecords, stdio: ['pipe', 'pipe', 'ignore'] }),
                     execFileSync(shorten, [castle], { stdio: ['ignore', 'pipe', 'ignore'] })]
    .reduce((best, text) => (lines(text) < lines(best) ? text : best));
  await picker('write');
  for (const [rest, expected] of [[false, withRecords], [true, shortened]]) {
    if (await page.$eval('#shortenRest', (box) => box.checked) !== rest) await page.click('#shortenRest');
    await act(() => page.click('#Save'));
    assert.ok((await written()).equals(expected), `shorten the rest: ${rest}`);
    assert.match((await status())[2], /^saved chosen\.tmp: 612 lines → \d+ lines/);
  }
  assert.equal(await page.evaluate(() => window.suggested), 'castle-short.tmp');
  assert.equal((await title()).endsWith('*'), false);

  // A jump from the types panel.
  const row = await page.waitForSelector('#typesRows > div[data-row="1"]');
  await act(() => row.click({ count: 2 }));
  assert.match((await status())[0], /^type 3 1, 2nd shown of 5 types/);
});

test('a refused template gives the command\'s message, and the page goes on working', async () => {
  const bad = path.join(top, 'tests/command/control-z.tmp');
  let said = '';
  try {
    execFileSync(shorten, ['control-z.tmp'], { cwd: path.dirname(bad), stdio: ['ignore', 'ignore', 'pipe'] });
  } catch (failure) {
    said = failure.stderr.toString().trim().replace(/^quarnel-shorten: /, '');
  }
  assert.notEqual(said, '');
  await choose(bad);
  assert.equal(await page.$eval('#faultText', (text) => text.textContent), said);
  assert.deepEqual(await axeFindings(), [], 'with the fault shown');
  await act(() => page.click('#faultOk'));
  assert.match((await status())[0], /^type 3 1/);  // the earlier run stands
});

test('a template dropped on the page starts its run at once', async () => {
  await emptyBox();
  await act(() => page.evaluate(() => {
    const dropped = new DataTransfer();
    dropped.items.add(new File(['Built\r\n here\r\n5 5 1 1 0\r\n5 5 2 1 0\r\n'], 'built.tmp'));
    document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: dropped, bubbles: true, cancelable: true }));
  }));
  assert.equal(await fault(), false);
  assert.match((await status())[0], /^type 5 5, 1st shown of 1 type/);
  // A file the browser cannot read (gone since it was dropped): its words, and the run stands.
  await act(() => page.evaluate(() => document.dispatchEvent(Object.assign(new Event('drop'), {
    dataTransfer: { files: [{ name: 'gone.tmp', arrayBuffer: () => Promise.reject(new Error('it was moved')) }] },
  }))));
  assert.match(await fault(), /^Quarnel could not do this: it was moved/);
  await act(() => page.click('#faultOk'));
});

test('Tab goes through the controls in the window\'s order, and the lists\' headings sort from the keyboard', async () => {
  await fresh(castle);
  const order = ['Command1', 'Command2', 'zval', 'zscr', 'NextTile', 'Auto', 'AutoMany', 'Save',
                 'shortenRest', 'Picture1', 'comlist textbox', 'types', 'layers'];
  // The output box's editor takes the focus in an element of its own, a text box to a screen reader.
  const focused = () => page.evaluate(() => (document.activeElement.closest('#comlist')
    ? `comlist ${document.activeElement.getAttribute('role')}`
    : document.activeElement.id || document.activeElement.textContent));
  await page.focus('#Command1');
  const visited = [await focused()];
  // Not past the last: Firefox would take the keys into its own controls from there.
  while (visited.length < order.length) {
    await act(() => page.keyboard.press('Tab'));
    visited.push(await focused());
  }
  assert.deepEqual(visited, order);
  // Up from the first row reaches the headings; Enter sorts, again the other way; Down goes back.
  await act(() => page.focus('#types'));
  await act(() => page.keyboard.press('ArrowUp'));
  assert.equal(await focused(), 'id1');
  const ids = () => page.$$eval('#typesRows > div', (rows) => rows.map((row) => row.firstChild.textContent));
  for (const way of [1, -1]) {  // ids sort as text
    await sends(() => page.keyboard.press('Enter'));
    const shown = await ids();
    assert.deepEqual(shown, [...shown].sort((a, b) => way * (a < b ? -1 : a > b ? 1 : 0)), `sorted ${way}`);
  }
  await act(() => page.keyboard.press('ArrowRight'));
  assert.equal(await focused(), 'id2');
  await act(() => page.keyboard.press('ArrowDown'));
  assert.equal(await focused(), 'types');
  // A screen reader hears the highlighted row.
  const heard = () => page.$eval('#types', (list) => list.getAttribute('aria-activedescendant') &&
    document.getElementById(list.getAttribute('aria-activedescendant')).textContent);
  const before = await heard();
  await act(() => page.keyboard.press('ArrowUp'));
  assert.notEqual(await heard(), before);
  assert.equal(await heard(), await page.$eval('#types .active', (row) => row.textContent));
});

// Early in the suite: a later download takes the focus from Firefox's page, and blur with it.
test('keys do what the session\'s key map says where the focus is, and the cell row leaves with the keyboard', async () => {
  await fresh(castle);
  await act(() => page.$eval('#zval', (box) => {  // layer 0, whichever an earlier test left
    box.value = '0';
    box.dispatchEvent(new Event('input'));
  }));
  await page.focus('#zval');
  await act(() => page.keyboard.press('Enter'));
  await press(12, 14, 'left');
  await press(12, 14, 'right');
  const marked = await boxText();
  assert.notEqual(marked, '');
  // Typed into the mark's record, Ctrl+Z in the box takes back the typing first.
  const at = marked.lastIndexOf('TILEW') + 12;
  await caretAt(at);
  await act(() => page.keyboard.type('x'));
  assert.equal(await boxText(), `${marked.slice(0, at)}x${marked.slice(at)}`);
  // A click in the box asks for its line: the reply brings the session's copy of the typing.
  await act(() => page.$eval('#comlist', (box) => box.dispatchEvent(new MouseEvent('click'))));
  await control('z');
  assert.equal(await boxText(), marked);
  // Ctrl+Y there brings the typing back, and Ctrl+Z takes it again.
  await control('y');
  assert.equal(await boxText(), `${marked.slice(0, at)}x${marked.slice(at)}`);
  await control('z');
  assert.equal(await boxText(), marked);
  // In the output box with no typing of the user's to take back, Ctrl+Z undoes the mark.
  await act(async () => {
    await page.keyboard.down('Control');
    await page.keyboard.press('z');
    await page.keyboard.up('Control');
  });
  assert.equal(await boxText(), '');
  await act(() => page.hover('#Command2'));  // the pointer off the grid
  await act(() => page.focus('#Picture1'));
  await act(() => page.keyboard.press('ArrowRight'));
  assert.notEqual((await status())[1], '');
  await act(() => page.focus('#Command2'));
  assert.equal((await status())[1], '');
});

test('a drag marks, a mark is found and deleted, Auto all covers every type, and zoom keeps presses true', async (t) => {
  t.after(() => control('0'));  // the grid fitted again for the later tests, whatever fails here
  await choose(castle);
  const from = await cellPoint(20, 16);
  const to = await cellPoint(22, 17);
  await act(async () => {
    await page.mouse.move(from.x, from.y);
    await page.mouse.down();
    await page.mouse.move(to.x, to.y, { steps: 3 });
    await page.mouse.up();
  });
  const before = await records();
  assert.match(before, /TILEW 14 0 17 19 13 14 0\r\n$/);
  assert.equal(await colourAt(21, 17), 'blue');
  // Typed twice, the record is found twice: Ctrl + press selects both lines; Delete takes them out.
  const mark = 'TILEW 14 0 17 19 13 14 0';
  await act(() => page.$eval('#comlist', (box, text) => box.CodeMirror.setValue(text),
                             `${before}${mark}\r\n`.replace(/\r\n/g, '\n')));
  await act(async () => {
    await page.keyboard.down('Control');
    await page.mouse.click(from.x, from.y);
    await page.keyboard.up('Control');
  });
  assert.deepEqual(await page.$eval('#comlist', (box) => box.CodeMirror.getSelections()), [mark, mark]);
  await act(() => page.keyboard.press('Delete'));
  assert.equal(await records(), before.replace('TILEW 14 0 17 19 13 14 0\r\n', ''));
  assert.equal(await colourAt(21, 17), 'red');

  await act(() => page.select('#AutoMany', 'types'));
  assert.match((await status())[2], /^Auto on every type wrote \d+ rectangles .* of 5 types/);
  assert.equal(await redSquares(), 0);

  // Zoomed in, the grid's pixels stay whole and a press lands on the square shown under it.
  await act(() => page.keyboard.press('Escape'));
  await act(async () => {
    await page.keyboard.down('Control');
    await page.keyboard.press('=');
    await page.keyboard.up('Control');
  });
  assert.equal(await page.$eval('#Picture1', (canvas) => canvas.width), 585 * 2);
  await act(() => page.$eval('#grid', (grid) => { grid.scrollLeft = 0; grid.scrollTop = 0; }));
  const box = await (await page.$('#Picture1')).boundingBox();
  await act(() => page.mouse.click(box.x + 2 * (10 * 3 + 4), box.y + 2 * (10 * 3 + 4)));
  assert.match((await status())[1], /^cell \(3, 3\)/);
  await act(async () => {
    await page.keyboard.down('Control');
    await page.keyboard.press('0');
    await page.keyboard.up('Control');
  });
  assert.equal(await page.$eval('#Picture1', (canvas) => canvas.width), 585);

  // Ctrl + wheel zooms about the cell under the pointer; a drag with the middle button pans.
  const cell = await cellPoint(30, 30);
  await act(() => page.mouse.move(cell.x, cell.y));
  await act(async () => {
    await page.keyboard.down('Control');
    await page.mouse.wheel({ deltaY: -100 });
    await page.keyboard.up('Control');
  });
  assert.equal(await page.$eval('#Picture1', (canvas) => canvas.width), 585 * 2);
  await act(() => page.mouse.move(cell.x + 1, cell.y));
  assert.match((await status())[1], /^cell \(30, 30\)/);
  const scroll = () => page.$eval('#grid', (grid) => [grid.scrollLeft, grid.scrollTop]);
  const [left, top] = await scroll();
  await act(async () => {
    await page.mouse.down({ button: 'middle' });
    await page.mouse.move(cell.x - 40, cell.y - 30);
    await page.mouse.up({ button: 'middle' });
  });
  const [panLeft, panTop] = await scroll();
  assert.ok(Math.abs(panLeft - left - 40) <= 1 && Math.abs(panTop - top - 30) <= 1, `${left} ${top} → ${panLeft} ${panTop}`);
});

test('Save says what became of the file: written where chosen, cancelled, failed, or offered as a download', async () => {
  await fresh(castle);
  await press(10, 8, 'left');
  await press(12, 10, 'right');
  if (await page.$eval('#shortenRest', (box) => box.checked)) await page.click('#shortenRest');
  const expected = await applied(castle);
  for (const [kind, said, unsaved] of [
    ['cancel', /^save cancelled: nothing was saved$/, true],
    ['fail', null, true],
    ['none', /^offered as a download: castle-short\.tmp \(612 lines → \d+ lines .*checked: same tiles\)$/, true],
    ['write', /^saved chosen\.tmp: 612 lines → \d+ lines .*checked: same tiles$/, false],
  ]) {
    await picker(kind);
    await act(() => page.click('#Save'));
    if (kind === 'fail') {
      assert.match(await fault(), /^chosen\.tmp: cannot be written: no space left; nothing was saved/);
      await act(() => page.click('#faultOk'));
    } else {
      assert.match((await status())[2], said, kind);
    }
    if (kind === 'none') assert.ok((await downloaded('castle-short.tmp')).equals(expected));
    if (kind === 'write') assert.ok((await written()).equals(expected));
    // The * and the question on leaving stay until a save is known to be written.
    assert.equal((await title()).endsWith(' *'), unsaved, kind);
    assert.equal(await leaveAsks(), unsaved, kind);
  }
});

test('typing in the output box keeps every key while the worker answers other events', async () => {
  // 1,000,000 tile records of 300 types, each on cells of its own.
  const big = path.join(downloads, 'big.tmp');
  const lines = ['Big', ' (every type on layers 0 and 1)'];
  for (let at = 0; at < 1000000; ++at) {
    const cell = Math.floor(at / 300);
    lines.push(`${at % 300} ${at % 3} ${cell % 51} ${Math.floor(cell / 51) % 51} ${Math.floor(cell / 2601)}`);
  }
  fs.writeFileSync(big, lines.join('\r\n') + '\r\n');
  for (const [template, type] of [[castle, '14 0'], [big, '0 0']]) {
    await fresh(template);
    await press(10, 8, 'left');
    await press(10, 8, 'right');
    const before = await boxText();
    await caretAt(before.length);
    const typed = [30, 33, 36].map((x) => `TILEW ${type} ${x} ${x + 1} 30 31 0\n`).join('');
    // The pointer keeps moving over the grid: each move is a Hover in flight between the keys.
    const grid = await (await page.$('#Picture1')).boundingBox();
    // One after the other, since WebDriver runs one action at a time; nothing waits for answers.
    for (const [step, key] of [...typed].entries()) {
      await page.keyboard.type(key);
      for (const x of [5, 205]) await page.mouse.move(grid.x + x + step, grid.y + 100);
    }
    await idle();
    assert.equal(await boxText(), before + typed, template);
    // The session holds it too: an answer now shows the session's text.
    await act(() => page.mouse.move(grid.x + 300, grid.y + 300));
    assert.equal(await boxText(), before + typed, template);
  }
  // Long work says how far it has got, refuses presses meanwhile, and Cancel leaves all as it was.
  // All in one task of the page, so that each reaches the worker before the work can end.
  const kept = await boxText();
  const point = await cellPoint(0, 0);
  await act(() => page.evaluate(({ x, y }) => {
    window.said = [];
    new MutationObserver(() => window.said.push(document.querySelectorAll('#status > div')[2].textContent))
      .observe(document.getElementById('status'), { subtree: true, childList: true, characterData: true });
    const choice = document.getElementById('AutoMany');
    choice.value = 'types';
    choice.dispatchEvent(new Event('change'));
    document.getElementById('Picture1').dispatchEvent(
      new MouseEvent('mousedown', { clientX: x, clientY: y, button: 0, bubbles: true }));
    document.getElementById('Cancel').click();
  }, point));
  const said = await page.evaluate(() => window.said);
  assert.ok(said.some((text) => /^Auto on every type is running/.test(text)), said.join('\n'));
  assert.match(await page.$eval('#workText', (text) => text.textContent), /^Auto on every type\.\.\. \d+ of 300$/);
  assert.equal((await status())[2], 'Auto on every type cancelled: nothing written');
  assert.equal(await boxText(), kept);
  assert.equal(await page.$eval('#comlist', (box) => box.CodeMirror.getOption('readOnly')), false);
  fs.rmSync(big);
});

test('tens of thousands of records reach the box whole, the caret at their end, and go with undo', async () => {
  // Every other cell of 64 layers: Auto all writes a record for each, 83,264 in all, which the box
  // takes in several slices.
  const spread = path.join(downloads, 'spread.tmp');
  const lines = ['Spread', ' (cells apart)'];
  for (let z = 0; z < 64; ++z) {
    for (let at = 0; at < 51 * 51; at += 2) lines.push(`5 5 ${at % 51} ${Math.floor(at / 51)} ${z}`);
  }
  fs.writeFileSync(spread, lines.join('\r\n') + '\r\n');
  await fresh(spread);
  // The page says it is drawn, and the box takes typing again, only once the box holds them all.
  await page.evaluate(() => {
    const editor = document.getElementById('comlist').CodeMirror;
    document.addEventListener('quarnel-drawn', () => { window.linesDrawn = editor.lineCount(); });
    new MutationObserver(() => {
      if (!editor.getOption('readOnly')) window.linesWritable = editor.lineCount();
    }).observe(editor.getInputField(), { attributes: true, attributeFilter: ['aria-readonly'] });
  });
  await act(() => page.select('#AutoMany', 'types'));
  assert.deepEqual(await page.evaluate(() => [window.linesDrawn, window.linesWritable]), [83265, 83265]);
  const box = (await boxText()).split('\n');
  assert.equal(box.pop(), '');
  assert.equal(box.length, 83264);
  assert.equal(new Set(box).size, box.length);
  assert.deepEqual(box.filter((line) => !/^TILEW 5 5( -?\d+){5}$/.test(line)), []);
  assert.equal(await page.$eval('#comlist', (list) => list.CodeMirror.getCursor().line), box.length);
  await act(() => page.click('#Picture1', { offset: { x: 2, y: 2 } }));
  await control('z');
  assert.equal(await boxText(), '');
  fs.rmSync(spread);
});

test('go on another template: a refused one asks nothing, and after a Save it asks whose records they are', async () => {
  const bad = path.join(downloads, 'bad.tmp');
  fs.writeFileSync(bad, 'Bad\r\n x\r\n8 1 99 0 0\r\n');
  await fresh(castle);
  await press(10, 8, 'left');
  await press(12, 10, 'right');
  const marked = await records();
  await choose(bad);
  assert.match(await fault(), /^bad\.tmp, line 3: /);
  assert.equal(await asked(), false);
  await act(() => page.click('#faultOk'));
  assert.equal(await records(), marked);
  await act(() => page.click('#Picture1', { offset: { x: 2, y: 2 } }));
  await control('z');
  assert.equal(await records(), '');

  await control('y');
  await picker('write');
  await act(() => page.click('#Save'));
  await choose(path.join(top, 'examples/harbour.tmp'));
  assert.match(await asked(), /made for castle\.tmp, saved\./);
  assert.deepEqual(await axeFindings(), [], 'with a question asked');
  await act(() => page.click('#answers button:nth-child(2)'));
});

test('ids that are not UTF-8 keep their bytes through the output box and Save', async () => {
  const odd = path.join(downloads, 'odd.tmp');
  fs.writeFileSync(odd, Buffer.from('Odd\r\n ids\r\n\xFF b 1 1 1\r\n\xFF b 2 1 1\r\n\xFF b 3 1 1\r\n', 'latin1'));
  await fresh(odd);
  await act(() => page.select('#AutoMany', 'types'));
  assert.match(await records(), /^TILEW \\xFF b /);
  await caretAt(0);
  await act(() => page.keyboard.press('End'));
  await act(() => page.keyboard.type(' '));
  await act(() => page.keyboard.press('Backspace'));
  await picker('write');
  await act(() => page.click('#Save'));
  assert.equal(await asked(), false);
  const saved = path.join(downloads, 'odd-short.tmp');
  fs.writeFileSync(saved, await written());
  execFileSync(shorten, ['--check', odd, saved], { stdio: 'ignore' });
});

test('the page attempts no request', async () => {
  assert.deepEqual(requests, []);
  // What WebKit's driver cannot intercept, its resource timings would show.
  assert.deepEqual(await page.evaluate(() => performance.getEntriesByType('resource')
    .map((entry) => entry.name).filter((name) => !name.startsWith('blob:'))), []);
});

test('screenshots at device pixel ratio 1 and 2, where QUARNEL_SCREENSHOTS names a folder', async (t) => {
  const folder = process.env.QUARNEL_SCREENSHOTS;
  await fresh(castle);
  const { x, y } = await cellPoint(16, 18);
  for (const ratio of webkit ? [1] : [2, 1]) {  // WebKitGTK's driver sets no other ratio
    await page.setViewport({ width: 1230, height: 610, deviceScaleFactor: ratio });
    await act(() => page.keyboard.press('PageUp'));
    await act(() => page.keyboard.press('PageDown'));
    await press(12, 14, 'left');
    await act(() => page.mouse.move(x, y));
    // Drawn crisp: the backing store holds a whole number of device pixels per raster pixel.
    assert.equal(await page.$eval('#Picture1', (canvas) => canvas.width), 585 * ratio);
    if (folder) await page.screenshot({ path: path.join(folder, `quarnel-web-${ratio}x.png`) });
  }
  if (!folder) t.diagnostic('QUARNEL_SCREENSHOTS not set: no screenshots taken');
});

// Last: a phone's viewport reloads the page.
test('on a phone the page is one column of readable text, and touch does the whole job', { skip: firefox || webkit ? 'touch emulation: Chromium only' : false }, async () => {
  await page.setViewport({ width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true });
  await idle();
  const layout = await page.evaluate(() => {
    const place = (id) => {
      const { top, bottom, left } = document.getElementById(id).getBoundingClientRect();
      return { top, bottom, left };
    };
    return { width: document.documentElement.scrollWidth, grid: place('grid'), box: place('comlist'),
             text: parseFloat(getComputedStyle(document.getElementById('status')).fontSize) };
  });
  assert.ok(layout.width <= 390, `${layout.width} wide`);
  assert.ok(layout.box.top >= layout.grid.bottom && layout.box.left === layout.grid.left,
            JSON.stringify(layout));
  assert.ok(layout.text >= 14, `text of ${layout.text} px`);

  await act(async () => (await page.$('#thefile')).uploadFile(castle));
  const tap = async (selector) => {
    const { x, y, width, height } = await (await page.$(selector)).boundingBox();
    await act(() => page.touchscreen.tap(x + width / 2, y + height / 2));
  };
  const touch = async (column, row, hold) => {
    const { x, y } = await cellPoint(column, row);
    await act(async () => {
      await page.touchscreen.touchStart(x, y);
      await new Promise((done) => setTimeout(done, hold));
      await page.touchscreen.touchEnd();
    });
  };
  await tap('#Command2');
  assert.match((await status())[0], /^type 14 0/);
  // A tap: the first corner, where the finger is with the grid's top scrolled out of sight, and
  // the page stays put.
  const scrolled = await page.evaluate(() => {
    window.scrollTo(0, document.getElementById('grid').getBoundingClientRect().top + window.scrollY + 50);
    return window.scrollY;
  });
  await touch(10, 8, 0);
  assert.equal(await page.evaluate(() => window.scrollY), scrolled);
  assert.equal(await colourAt(10, 8), 'green');
  await page.evaluate(() => window.scrollTo(0, 0));
  await touch(12, 10, 700);  // a long press: the second
  assert.match((await status())[2], /^marked: TILEW 14 0 /);
  // With Shift on, a long press marks cells without tiles too, as Shift + right press does: here
  // across the ring of walls, type 3 1.
  await tap('#NextTile');
  await touch(9, 7, 0);
  await touch(30, 8, 700);
  assert.doesNotMatch((await status())[2], /^marked/);
  await tap('#shiftToggle');
  await touch(30, 8, 700);
  assert.match((await status())[2], /^marked: TILEW 3 1 /);
  await tap('#Auto');
  assert.equal(await redSquares(), 0);
  if (process.env.QUARNEL_SCREENSHOTS) {
    await page.screenshot({ path: path.join(process.env.QUARNEL_SCREENSHOTS, 'quarnel-web-phone.png'), fullPage: true });
  }
});
