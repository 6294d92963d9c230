// WebKitGTK for the browser tests: Debian's WebKitWebDriver driving its MiniBrowser (on the
// display xvfb-run gives), behind the part of puppeteer's page that the tests use, so that one
// suite runs in all three engines.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import webdriver from 'selenium-webdriver';

const { Builder, Button, By, Key, Origin } = webdriver;
const keys = {
  Control: Key.CONTROL, Shift: Key.SHIFT, Alt: Key.ALT, Enter: Key.ENTER, Escape: Key.ESCAPE,
  Delete: Key.DELETE, Backspace: Key.BACK_SPACE, Tab: Key.TAB, End: Key.END, Home: Key.HOME,
  PageUp: Key.PAGE_UP, PageDown: Key.PAGE_DOWN, ArrowLeft: Key.ARROW_LEFT,
  ArrowRight: Key.ARROW_RIGHT, ArrowUp: Key.ARROW_UP, ArrowDown: Key.ARROW_DOWN,
};
const buttons = { left: Button.LEFT, middle: Button.MIDDLE, right: Button.RIGHT };
const pause = (ms) => new Promise((done) => setTimeout(done, ms));

function freePort() {
  return new Promise((done) => {
    const server = net.createServer().listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => done(port));
    });
  });
}

function miniBrowser() {
  for (const folder of ['/usr/lib/x86_64-linux-gnu', '/usr/lib/aarch64-linux-gnu', '/usr/lib']) {
    for (const api of ['webkit2gtk-4.1', 'webkit2gtk-4.0', 'webkitgtk-6.0']) {
      const binary = `${folder}/${api}/MiniBrowser`;
      if (fs.existsSync(binary)) return binary;
    }
  }
  throw new Error('no MiniBrowser: install webkit2gtk-driver');
}

// A page's script as WebDriver runs it: the function's text, called with the arguments.
const script = (fn) => `return (${fn}).apply(null, arguments);`;

export async function launchWebKit({ width, height }) {
  const port = await freePort();
  const service = spawn(process.env.WEBKIT_DRIVER || 'WebKitWebDriver', [`--port=${port}`],
                        { stdio: 'ignore' });
  const driver = await (async () => {
    for (let tries = 0; ; ++tries) {
      try {
        return await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities({
          browserName: 'MiniBrowser',
          'webkitgtk:browserOptions': { binary: miniBrowser(), args: ['--automation'] },
        }).build();
      } catch (error) {
        if (tries > 50) throw error;
        await pause(200);
      }
    }
  })();
  let pointer = { x: 0, y: 0 };
  const held = new Set();  // keys down
  const actions = () => driver.actions({ async: true });
  const evaluate = (fn, ...args) =>
    driver.executeScript(typeof fn === 'string' ? fn : script(fn), ...args);
  const box = (selector) => evaluate((selector) => {
    const { x, y, width, height } = document.querySelector(selector).getBoundingClientRect();
    return { x, y, width, height };
  }, selector);
  const mouse = {
    async move(x, y, { steps = 1 } = {}) {
      const from = pointer;
      for (let step = 1; step <= steps; ++step) {
        const at = { x: from.x + (x - from.x) * step / steps, y: from.y + (y - from.y) * step / steps };
        await actions().move({ x: Math.round(at.x), y: Math.round(at.y), origin: Origin.VIEWPORT })
          .perform();
      }
      pointer = { x, y };
    },
    down: ({ button = 'left' } = {}) => actions().press(buttons[button]).perform(),
    up: ({ button = 'left' } = {}) => actions().release(buttons[button]).perform(),
    // WebKit's driver turns the wheel with no keys held: with Control held, the event is made in
    // the page, where the pointer is.
    wheel: ({ deltaY }) => (held.has('Control')
      ? evaluate((x, y, deltaY) => document.elementFromPoint(x, y).dispatchEvent(new WheelEvent('wheel', {
        clientX: x, clientY: y, deltaY, ctrlKey: true, bubbles: true, cancelable: true })),
      pointer.x, pointer.y, deltaY)
      : actions().scroll(Math.round(pointer.x), Math.round(pointer.y), 0, deltaY, Origin.VIEWPORT)
        .perform()),
    async click(x, y, { button = 'left', count = 1 } = {}) {
      await mouse.move(x, y);
      for (let at = 0; at < count; ++at) {
        await actions().press(buttons[button]).release(buttons[button]).perform();
      }
    },
  };
  const keyOf = (key) => keys[key] || key;
  const keyboard = {
    down: (key) => held.add(key) && actions().keyDown(keyOf(key)).perform(),
    up: (key) => held.delete(key) && actions().keyUp(keyOf(key)).perform(),
    // WebKitGTK types a capital only with Shift held, as a keyboard would.
    press: (key) => (/^[A-Z]$/.test(key)
      ? actions().keyDown(Key.SHIFT).keyDown(key).keyUp(key).keyUp(Key.SHIFT).perform()
      : actions().keyDown(keyOf(key)).keyUp(keyOf(key)).perform()),
    async type(text, { delay = 0 } = {}) {
      for (const character of text) {
        await keyboard.press(character === '\n' ? 'Enter' : character);
        if (delay) await pause(delay);
      }
    },
  };
  const handle = (selector) => ({
    boundingBox: () => box(selector),
    uploadFile: async (file) => driver.findElement(By.css(selector)).sendKeys(file),
    async click({ count = 1 } = {}) {
      const { x, y, width, height } = await box(selector);
      await mouse.click(x + width / 2, y + height / 2, { count });
    },
  });
  const page = {
    goto: (url) => driver.get(url),
    title: () => driver.getTitle(),
    evaluate,
    $: async (selector) => ((await evaluate((s) => !!document.querySelector(s), selector))
      ? handle(selector) : null),
    $eval: (selector, fn, ...args) => driver.executeScript(
      `return (${fn}).apply(null, [document.querySelector(arguments[0]), ...[...arguments].slice(1)]);`,
      selector, ...args),
    $$eval: (selector, fn, ...args) => driver.executeScript(
      `return (${fn}).apply(null, [[...document.querySelectorAll(arguments[0])], ...[...arguments].slice(1)]);`,
      selector, ...args),
    async waitForFunction(fn, { timeout = 30000 } = {}, ...args) {
      for (const end = Date.now() + timeout; !(await evaluate(fn, ...args));) {
        if (Date.now() > end) throw new Error(`waiting failed: ${timeout} ms exceeded`);
        await pause(20);
      }
    },
    async waitForSelector(selector) {
      await page.waitForFunction((s) => !!document.querySelector(s), {}, selector);
      return handle(selector);
    },
    click: async (selector, { offset } = {}) => {
      const { x, y, width, height } = await box(selector);
      await mouse.click(x + (offset ? offset.x : width / 2), y + (offset ? offset.y : height / 2));
    },
    focus: (selector) => evaluate((s) => document.querySelector(s).focus(), selector),
    hover: async (selector) => {
      const { x, y, width, height } = await box(selector);
      await mouse.move(x + width / 2, y + height / 2);
    },
    select: (selector, value) => evaluate((s, value) => {
      const element = document.querySelector(s);
      element.value = value;
      element.dispatchEvent(new Event('input', { bubbles: true }));
      element.dispatchEvent(new Event('change', { bubbles: true }));
    }, selector, value),
    // The window's size for a wanted viewport; WebKitGTK has no other device pixel ratio.
    async setViewport({ width, height }) {
      const inner = await evaluate(() => [window.innerWidth, window.innerHeight]);
      const outer = await driver.manage().window().getRect();
      await driver.manage().window().setRect({ width: outer.width + width - inner[0],
                                               height: outer.height + height - inner[1] });
    },
    screenshot: async ({ path }) => fs.writeFileSync(path, await driver.takeScreenshot(), 'base64'),
    mouse,
    keyboard,
  };
  await page.setViewport({ width, height });
  const browser = {
    async close() {
      await driver.quit().catch(() => {});
      service.kill();
    },
  };
  return { browser, page };
}
