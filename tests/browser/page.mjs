// What the browser tests share: web/ served on 127.0.0.1, a browser driven
// (Debian's Chromium or Firefox ESR headless, or WebKit's MiniBrowser under
// xvfb-run, as ENGINE says), and the page read and used as a person would,
// through its buttons and the element named "Screen".
import assert from 'node:assert/strict';
import { createServer } from 'node:http';
import { existsSync } from 'node:fs';
import { readFile, readdir } from 'node:fs/promises';
import { extname, join, normalize } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium, firefox } from 'playwright-core';
import { newPage as newWebKitPage } from './webkit.mjs';

export const root = fileURLToPath(new URL('../..', import.meta.url));
const web = join(root, 'web');
const types = {
  '.html': 'text/html', '.mjs': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.png': 'image/png',
};

// Serves web/ on a free port of 127.0.0.1 until close(), with room for the
// longest address a browser opens, and these headers on every answer.
export async function serve(headers = {}) {
  const server = createServer({ maxHeaderSize: 4 << 20 }, async (request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    try {
      const body = await readFile(join(web, path.endsWith('/') ? `${path}index.html` : path));
      response.writeHead(200, {
        'Content-Type': types[extname(path) || '.html'] ?? 'application/octet-stream', ...headers,
      });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    close: () => new Promise((resolve) => server.close(resolve)),
  };
}

// The engine the tests drive, and what its driver can do beyond the page:
// save a download, grant the clipboard, weigh the heap, touch, see each
// request, select a word by a double-click; and how soon a key or a click
// during a long run is on screen.
const engines = {
  chromium: {
    downloads: true, clipboard: true, heap: true, touch: true, requests: true, selects: true, answerMs: 200,
    launch: () => chromium.launch({
      executablePath: process.env.BROWSER ?? '/usr/bin/chromium',
      args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
             '--disable-background-networking', '--disable-component-update', '--disable-sync',
             // The tests weigh the page's heap to the byte.
             '--enable-precise-memory-info'],
    }),
  },
  // playwright-core 1.64.1 drives Firefox ESR 153 over WebDriver BiDi, whose
  // double-click in a headless window selects no word, on any page.
  firefox: {
    downloads: false, clipboard: false, heap: false, touch: false, requests: true, selects: false, answerMs: 200,
    launch: () => firefox.launch({
      channel: 'moz-firefox',
      executablePath: process.env.BROWSER ?? '/usr/bin/firefox-esr',
      // Playwright loosens what a file:// page may reach; a person's Firefox does not.
      firefoxUserPrefs: { 'security.fileuri.strict_origin_policy': true },
    }),
  },
  // selenium-webdriver drives WebKitWebDriver, through ./webkit.mjs. Under
  // Xvfb, MiniBrowser paints in software, a frame of a full screen about a
  // tenth of a second: keys show in about 0.2 s, and a second is the bound.
  webkit: {
    downloads: false, clipboard: false, heap: false, touch: false, requests: false, selects: true, answerMs: 1000,
  },
};
export const engineName = process.env.ENGINE ?? 'chromium';
export const engine = engines[engineName];
// Why this engine cannot show a phone's width, where it cannot.
export const noPhone = engineName === 'webkit' && "MiniBrowser's window is no narrower than its toolbar, 447 px";

// Starts the browser (with a profile of its own that it removes) and the
// server, which sends `headers` with every file; the caller's test ends both
// with close(). Every page error is collected in errors, which each test
// checks is empty.
export async function open({ width = 1280, height = 900, touch = false, headers } = {}) {
  const server = await serve(headers);
  let page;
  let browser;
  if (engineName === 'webkit') {
    page = await newWebKitPage({ width, height });
  } else {
    browser = await engine.launch();
    const context = await browser.newContext({
      viewport: { width, height }, acceptDownloads: engine.downloads, hasTouch: touch && engine.touch,
    });
    page = await context.newPage();
  }
  // Where the driver cannot take a download, the blob the page offers to
  // save is kept for saveScreen to read, and the browser is not asked to
  // save it (its prompt would take the focus from the page).
  if (!engine.downloads) {
    await page.addInitScript(() => {
      const createObjectURL = URL.createObjectURL;
      URL.createObjectURL = (blob) => {
        window.savedBlob = blob;
        return createObjectURL.call(URL, blob);
      };
      const click = HTMLAnchorElement.prototype.click;
      HTMLAnchorElement.prototype.click = function save() {
        if (!this.download) click.call(this);
      };
    });
  }
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  page.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
  return {
    page, errors, url: server.url,
    async close() {
      await (browser ?? page).close();
      await server.close();
    },
  };
}

// For a test file, given node:test's `after` (this module is shared with
// scripts that run outside a test): a function that opens as open() does,
// and once the file's tests have run, checks that no page logged an error
// and closes every browser it opened. With `waiting`, it goes to the page,
// waits for the question and returns the page alone.
export function opener(after, { waiting = false } = {}) {
  const opened = [];
  // Closed before the check: a failed check must not leave a browser up,
  // and WebKit's errors are collected as it closes.
  after(async () => {
    for (const browser of opened) await browser.close();
    for (const browser of opened) assert.deepEqual(browser.errors, [], 'no page error is logged');
  });
  return async (options) => {
    const browser = await open(options);
    opened.push(browser);
    if (!waiting) return browser;
    await browser.page.goto(browser.url);
    await waitFor(browser.page, 'waiting for input');
    return browser.page;
  };
}

export const screen = (page) => page.getByRole('log', { name: 'Screen' });
export const screenText = (page) => screen(page).textContent();
export const state = (page) => page.getByRole('status').textContent();

// Waits until the program waits for input (or has ended, or was stopped), and
// the page has drawn the frame that shows it: the picture follows the screen
// at the next frame.
export async function waitFor(page, wanted) {
  await page.getByRole('status').filter({ hasText: wanted }).waitFor({ timeout: 10000 });
  await page.evaluate(() => new Promise((drawn) => requestAnimationFrame(() => requestAnimationFrame(drawn))));
}

// Presses Stop as a person does, the pointer already over it: one press, at
// once, with no wait for the page to settle (a driver's click waits for
// frames, and a short run could end first). Waits until the run has stopped;
// returns the time from the page taking the click to the status saying so,
// measured in the page, so a slow driver's own round trips do not count.
export async function stop(page) {
  await press(page, await page.getByRole('button', { name: 'Stop' }).evaluate((stopButton) => {
    stopButton.scrollIntoView({ block: 'center' });
    window.stopTimes = {};
    stopButton.addEventListener('click', (event) => {
      window.stopTimes.clicked = event.timeStamp;
      window.stopTimes.while = document.getElementById('state').textContent;
    }, { once: true });
    new MutationObserver((_, observer) => {
      if (document.getElementById('state').textContent !== 'stopped') return;
      window.stopTimes.stopped = performance.now();
      observer.disconnect();
    }).observe(document.getElementById('state'), { childList: true, characterData: true, subtree: true });
    const box = stopButton.getBoundingClientRect();
    return { x: box.left + box.width / 2, y: box.top + box.height / 2 };
  }));
  await page.waitForFunction(() => window.stopTimes.clicked !== undefined, undefined, { timeout: 10000 });
  assert.equal(await page.evaluate(() => window.stopTimes.while), 'running', 'Stop was pressed while the program ran');
  await waitFor(page, 'stopped');
  const { clicked, stopped } = await page.evaluate(() => window.stopTimes);
  return stopped - clicked;
}

// A press of the primary button at this point of the viewport, at once, as
// a person's pointer already there presses: a driver's click waits for what
// it aims at to stand still, which a table redrawn twice a second may not.
export async function press(page, { x, y }) {
  await page.mouse.move(x, y);
  await page.mouse.down();
  await page.mouse.up();
}

// "Save screen", and the bytes it downloads (or, where the engine cannot
// save, the bytes it offers to).
export const saveScreen = (page) => saveFile(page, 'Save screen');

// The button of this name clicked, and the file it saves, as bytes.
export async function saveFile(page, button) {
  if (!engine.downloads) {
    await page.evaluate(() => { window.savedBlob = null; });
    await page.getByRole('button', { name: button, exact: true }).click();
    // As base64: a driver passes a long string at once, an array of numbers
    // slowly. A canvas hands its PNG over a little later.
    const dataUrl = await page.evaluate(() => new Promise((resolve) => {
      const read = () => {
        if (!window.savedBlob) return setTimeout(read, 20);
        const reader = new FileReader();
        reader.onload = () => resolve(reader.result);
        reader.readAsDataURL(window.savedBlob);
        return undefined;
      };
      read();
    }));
    return Buffer.from(dataUrl.slice(dataUrl.indexOf(',') + 1), 'base64');
  }
  const [download] = await Promise.all([
    page.waitForEvent('download'),
    page.getByRole('button', { name: button, exact: true }).click(),
  ]);
  return readFile(await download.path());
}

// Lets the page write the clipboard, and the test read it, where the engine's
// driver can grant that.
export async function allowClipboard(page) {
  if (engine.clipboard) await page.context().grantPermissions(['clipboard-read', 'clipboard-write']);
}

// Where the engine's driver cannot grant the clipboard, what the page writes
// there is kept for copied() to read. Call before the page is opened.
export async function keepCopies(page) {
  if (engine.clipboard) return;
  await page.addInitScript(() => {
    Object.defineProperty(navigator, 'clipboard', {
      configurable: true,
      value: { writeText: async (text) => { window.copiedText = text; } },
    });
  });
}

// What the page last copied.
export async function copied(page) {
  if (engine.clipboard) return page.evaluate(() => navigator.clipboard.readText());
  return page.evaluate(() => window.copiedText);
}

// "Copy link", and the link it gave: from the clipboard, or where the test
// cannot read it, from the notice that names it.
export async function copyLink(page) {
  await page.getByRole('button', { name: 'Copy link' }).click();
  if (engine.clipboard) return page.evaluate(() => navigator.clipboard.readText());
  return /^(?:Link copied|Copy this link): (.*)$/.exec(await page.locator('#notice').textContent())[1];
}

// Pastes text into the console, as a person pastes from the clipboard.
export async function paste(page, text) {
  await page.getByRole('textbox', { name: 'Keyboard' }).evaluate((keys, pasted) => {
    const clipboardData = new DataTransfer();
    clipboardData.setData('text/plain', pasted);
    // Not every engine lets a made paste event carry its data: it is set on
    // the event itself, as a real paste has it.
    const paste = new Event('paste', { bubbles: true, cancelable: true });
    Object.defineProperty(paste, 'clipboardData', { value: clipboardData });
    keys.dispatchEvent(paste);
  }, text);
}

// Types text key by key, as a person at the screen does: Enter for each line
// end, and what follows it once the program has answered, by waiting for
// more or ending. (The program runs in a worker: typed ahead, the keys would
// show before its answer, as at a terminal.)
export async function typeKeys(page, text) {
  for (const [k, char] of [...text].entries()) {
    if (char !== '\n') await page.keyboard.type(char);
    else {
      await page.keyboard.press('Enter');
      if (k < text.length - 1) await page.waitForFunction(() => document.getElementById('state').textContent !== 'running');
    }
  }
}

// The dialogues of tests/dialogues, each with its input and the screen that a
// build with libc++ and musl's pow prints, as the page's module is.
export async function dialogues() {
  const folder = join(root, 'tests', 'dialogues');
  const cases = [];
  for (const entry of await readdir(folder, { recursive: true })) {
    if (!entry.endsWith('.in')) continue;
    const name = entry.slice(0, -'.in'.length);
    const screenFile = [`${name}.wasm.out`, `${name}.libc++.out`, `${name}.out`]
      .find((file) => existsSync(join(folder, file)));
    cases.push({
      name,
      input: await readFile(join(folder, entry)),
      screen: await readFile(join(folder, screenFile)),
    });
  }
  return cases.sort((a, b) => a.name.localeCompare(b.name));
}

// The README's terminal transcripts: the screen with the echo of what was
// typed, where a line "...  (N more lines)" stands for N lines of iterates.
export async function readmeTranscripts() {
  const readme = await readFile(join(root, 'README.md'), 'utf8');
  return [...readme.matchAll(/```text\n(y for default values \/ n to input values\n[yn]\n[^]*?)```/g)]
    .map(([, transcript]) => transcript);
}

// The transcript with its elided lines taken from the screen, which the
// screen must then match to the byte.
export function expand(transcript, shown) {
  const shownLines = shown.split('\n');
  const lines = [];
  for (const line of transcript.split('\n')) {
    const elided = /^\.\.\. +\((\d+) more lines\)$/.exec(line);
    if (elided) lines.push(...shownLines.slice(lines.length, lines.length + Number(elided[1])));
    else lines.push(line);
  }
  return lines.join('\n');
}

// What was typed in a transcript of this program: the answer, what follows
// each prompt, and the number for the final wait on the last line.
export function typedIn(transcript) {
  const lines = transcript.split('\n').slice(0, -1);
  const prompts = lines.filter((line) => line.startsWith('enter '))
    .map((line) => line.slice(line.indexOf(': ') + 2));
  return [lines[1], ...prompts, lines.at(-1)].map((line) => `${line}\n`).join('');
}

// The address that replays typed text, as the README gives it.
export const replayAddress = (base, typed) => `${base}?input=${encodeURIComponent(typed)}`;

// A cell's centre on the map, in the map's pixels.
export async function cellPoint(page, i, j) {
  const map = page.getByRole('application', { name: 'Map' });
  const { plot, cells } = await map.evaluate((canvas) => ({
    plot: canvas.dataset.plot.split(' ').map(Number), cells: canvas.dataset.cells.split(' ').map(Number),
  }));
  const [left, top, width, height] = plot;
  const [columns, rows] = cells;
  return { x: left + ((i + 0.5) * width) / columns, y: top + ((rows - 1 - j + 0.5) * height) / rows };
}

// The explore controls and the map, as a person finds them.
export const field = (page, name) => page.getByRole('textbox', { name, exact: true });
export const readAs = (page) => page.locator('#read-as');
export const mapCell = (page) => page.locator('#map-cell');
export const mapDone = (page) => page.locator('#map-progress').filter({ hasText: /^([\d,]+) of \1 cells/ }).waitFor();

// Two frames later, the page has taken what it was handed.
export const frames = (page) => page.evaluate(() => new Promise((drawn) => {
  requestAnimationFrame(() => requestAnimationFrame(drawn));
}));

// axe's WCAG 2.1 A and AA rules, run on the page as it is now: each
// violation with the elements it names.
let axeSource;
export async function audit(page) {
  axeSource ??= await readFile(join(root, 'node_modules', 'axe-core', 'axe.min.js'), 'utf8');
  return page.evaluate(async (source) => {
    if (!window.axe) (0, eval)(source);
    const { violations } = await window.axe.run(document, {
      runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa'] },
    });
    return violations.map(({ id, nodes }) => `${id}: ${nodes.map((node) => node.target.join(' ')).join(', ')}`);
  }, axeSource);
}
