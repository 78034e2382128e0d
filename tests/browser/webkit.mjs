// WebKit, Safari's engine, for the browser tests: Debian's MiniBrowser driven
// by npm's selenium-webdriver through WebKitWebDriver, behind the few calls of
// Playwright's Page that the tests make, so that the same test files run in
// it. Elements are found as Playwright finds them, by role and name, by
// selector or by text; clicks, keys, drags and the wheel are the driver's own
// input actions, which the page takes as a person's.
import { spawn } from 'node:child_process';
import { writeFile } from 'node:fs/promises';
import { createServer } from 'node:net';
import { Builder, Button, Key, Origin } from 'selenium-webdriver';

const miniBrowser = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

// A free port of 127.0.0.1 for the driver.
async function freePort() {
  const server = createServer();
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const { port } = server.address();
  await new Promise((resolve) => server.close(resolve));
  return port;
}

// Starts WebKitWebDriver and a MiniBrowser window of this inner size; needs a
// display, which the tests' command gives with xvfb-run.
export async function newPage({ width, height }) {
  if (!process.env.DISPLAY) throw new Error('WebKit needs a display: run the test under xvfb-run');
  const port = await freePort();
  const server = spawn(process.env.WEBKIT_DRIVER ?? 'WebKitWebDriver', [`--port=${port}`, '--host=127.0.0.1'],
    { stdio: 'ignore' });
  let driver;
  for (let tries = 0; !driver; tries++) {
    try {
      driver = await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities({
        browserName: 'MiniBrowser',
        'webkitgtk:browserOptions': { binary: process.env.BROWSER ?? miniBrowser, args: ['--automation'] },
      }).build();
    } catch (error) {
      if (tries === 50) {
        server.kill();
        throw error;
      }
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
  }
  const page = new Page(driver, server);
  await page.setViewportSize({ width, height });
  return page;
}

// Playwright's key names, as WebDriver's keys.
const keys = {
  Enter: Key.ENTER, Backspace: Key.BACK_SPACE, Delete: Key.DELETE, Escape: Key.ESCAPE, Tab: Key.TAB,
  ArrowLeft: Key.ARROW_LEFT, ArrowRight: Key.ARROW_RIGHT, ArrowUp: Key.ARROW_UP, ArrowDown: Key.ARROW_DOWN,
  PageUp: Key.PAGE_UP, PageDown: Key.PAGE_DOWN, Home: Key.HOME, End: Key.END,
  Shift: Key.SHIFT, Control: Key.CONTROL, Alt: Key.ALT, Meta: Key.META, Space: ' ',
};

// Runs in the page: the elements these steps find in the document, as
// Playwright's locators find them. A step is a selector, a role
// with its accessible name, a text, or a filter by the text within.
function find(steps) {
  const visible = (element) => element.getClientRects().length > 0
    && getComputedStyle(element).visibility !== 'hidden' && !element.closest('[aria-hidden="true"]');
  const normal = (text) => text.replace(/\s+/g, ' ').trim();
  const matches = (text, wanted, exact) => (wanted.source !== undefined
    ? new RegExp(wanted.source, wanted.flags).test(normal(text))
    : exact ? normal(text) === wanted : normal(text).toLowerCase().includes(wanted.toLowerCase()));
  const implicitRoles = {
    BUTTON: 'button', TEXTAREA: 'textbox', FIGURE: 'figure', FIELDSET: 'group', OUTPUT: 'status', TABLE: 'table',
    SELECT: 'combobox', NAV: 'navigation',
    A: (element) => element.hasAttribute('href') && 'link',
    IMG: (element) => element.getAttribute('alt') !== '' && 'img',
    INPUT: (element) => ({ range: 'slider', button: 'button', submit: 'button', checkbox: 'checkbox', radio: 'radio' }[element.type]
      ?? (['text', 'search', 'email', 'url', 'tel', 'number'].includes(element.type) && 'textbox')),
  };
  const role = (element) => {
    const explicit = element.getAttribute('role');
    if (explicit) return explicit.split(/\s+/)[0];
    const implicit = implicitRoles[element.tagName];
    return typeof implicit === 'function' ? implicit(element) : implicit;
  };
  const name = (element) => {
    const labelledBy = element.getAttribute('aria-labelledby');
    if (labelledBy) {
      return labelledBy.split(/\s+/).map((id) => document.getElementById(id)?.textContent ?? '').join(' ');
    }
    if (element.hasAttribute('aria-label')) return element.getAttribute('aria-label');
    if (element.labels?.length) return [...element.labels].map((label) => label.textContent).join(' ');
    if (element.tagName === 'IMG') return element.alt;
    if (element.tagName === 'TABLE') return element.caption?.textContent ?? '';
    if (['button', 'link'].includes(role(element))) return element.textContent;
    return element.getAttribute('title') ?? '';
  };
  let found = [document.documentElement];
  for (const step of steps) {
    if (step.css) found = found.flatMap((element) => [...element.querySelectorAll(step.css)]);
    if (step.role) {
      found = found.flatMap((element) => [...element.querySelectorAll('*')])
        .filter((element) => role(element) === step.role && visible(element)
          && (step.name === undefined || matches(name(element), step.name, step.exact)));
    }
    if (step.text) {
      found = found.flatMap((element) => [...element.querySelectorAll('*')])
        .filter((element) => visible(element) && matches(element.textContent, step.text)
          && ![...element.children].some((child) => matches(child.textContent, step.text)));
    }
    if (step.hasText) found = found.filter((element) => matches(element.textContent, step.hasText));
  }
  return [...new Set(found)];
}

// A text or a regular expression, as the page's find() takes it.
const wanted = (text) => (text instanceof RegExp ? { source: text.source, flags: text.flags } : text);
const script = (fn) => `return (${fn}).apply(null, arguments)`;
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

class Locator {
  constructor(page, steps) {
    this.page = page;
    this.steps = steps;
  }

  locator(css) { return new Locator(this.page, [...this.steps, { css }]); }
  getByRole(role, { name, exact } = {}) {
    return new Locator(this.page, [...this.steps, { role, name: wanted(name), exact }]);
  }
  filter({ hasText }) { return new Locator(this.page, [...this.steps, { hasText: wanted(hasText) }]); }

  all() { return this.page.driver.executeScript(script(find), this.steps); }
  async count() { return (await this.all()).length; }

  // The one element found, waited for as Playwright waits; two are a mistake.
  async element({ timeout = 30000 } = {}) {
    const ends = Date.now() + timeout;
    for (;;) {
      const found = await this.all();
      if (found.length > 1) throw new Error(`${found.length} elements match ${JSON.stringify(this.steps)}`);
      if (found.length === 1) return found[0];
      if (Date.now() > ends) throw new Error(`Timeout ${timeout} ms waiting for ${JSON.stringify(this.steps)}`);
      await sleep(50);
    }
  }
  async waitFor(options) { await this.element(options); }

  evaluateAll(fn, arg) {
    return this.page.driver.executeScript(`return (${fn})((${find})(arguments[0]), arguments[1])`, this.steps, arg);
  }
  scrollIntoViewIfNeeded() {
    return this.evaluate((element) => element.scrollIntoView({ block: 'nearest', inline: 'nearest' }));
  }
  async evaluate(fn, arg) { return this.page.driver.executeScript(script(fn), await this.element(), arg); }
  textContent() { return this.evaluate((element) => element.textContent); }
  inputValue() { return this.evaluate((element) => element.value); }
  getAttribute(name) { return this.evaluate((element, attribute) => element.getAttribute(attribute), name); }
  isDisabled() { return this.evaluate((element) => element.disabled); }
  isChecked() { return this.evaluate((element) => element.checked); }
  focus() { return this.evaluate((element) => element.focus()); }
  boundingBox() {
    return this.evaluate((element) => {
      const { x, y, width, height } = element.getBoundingClientRect();
      return { x, y, width, height };
    });
  }

  // The point a click or a hover aims at: the element's centre, or a
  // position within it, with the element scrolled into view.
  async point(position) {
    await this.evaluate((element) => element.scrollIntoView({ block: 'nearest', inline: 'nearest' }));
    const box = await this.boundingBox();
    return position
      ? { x: box.x + position.x, y: box.y + position.y }
      : { x: box.x + box.width / 2, y: box.y + box.height / 2 };
  }
  async hover({ position } = {}) {
    const { x, y } = await this.point(position);
    await this.page.mouse.move(x, y);
  }
  // As Playwright does, a click waits for its element to be enabled.
  async click({ position } = {}) {
    const ends = Date.now() + 30000;
    while (await this.isDisabled()) {
      if (Date.now() > ends) throw new Error(`Timeout waiting for ${JSON.stringify(this.steps)} to be enabled`);
      await sleep(50);
    }
    const { x, y } = await this.point(position);
    await this.page.mouse.move(x, y);
    await this.page.mouse.down();
    await this.page.mouse.up();
  }
  // Two clicks in one go, as a double-click is.
  async dblclick() {
    const { x, y } = await this.point();
    await this.page.mouse.move(x, y);
    await this.page.mouse.twice();
  }
  tap(options) { return this.click(options); }
  // A radio button is checked as a person checks it, by a click.
  async check() {
    if (!(await this.evaluate((element) => element.checked))) await this.click();
  }
  // As Playwright does: the option with this label chosen, and the change told.
  selectOption({ label }) {
    return this.evaluate((element, wantedLabel) => {
      const option = [...element.options].find((candidate) => candidate.label === wantedLabel);
      if (!option) throw new Error(`no option ${wantedLabel}`);
      element.value = option.value;
      element.dispatchEvent(new Event('input', { bubbles: true }));
      element.dispatchEvent(new Event('change', { bubbles: true }));
    }, label);
  }
  async press(key) {
    await this.focus();
    await this.page.keyboard.press(key);
  }
  // What is typed replaces what the field held, as a person's typing over a
  // selection does.
  async fill(text) {
    await this.evaluate((element) => { element.focus(); element.select(); });
    if (text) await this.page.keyboard.type(text);
    else await this.page.keyboard.press('Backspace');
  }
}

class Page {
  constructor(driver, server) {
    this.driver = driver;
    this.server = server;
    this.initScripts = [];
    this.listeners = { pageerror: [], console: [] };
    this.at = { x: 0, y: 0 };
    const actions = () => driver.actions({ async: true });
    this.keyboard = {
      type: (text) => actions().sendKeys(text).perform(),
      press: async (combination) => {
        // "Shift+Tab" is two keys; "+" alone is one.
        const names = combination === '+' ? ['+'] : combination.split('+');
        const key = names.pop();
        let sequence = actions();
        for (const modifier of names) sequence = sequence.keyDown(keys[modifier]);
        sequence = sequence.sendKeys(keys[key] ?? key);
        for (const modifier of names.reverse()) sequence = sequence.keyUp(keys[modifier]);
        await sequence.perform();
      },
    };
    // WebKit hands a pointer's move to the page at its next frame, where
    // Playwright's move returns once the page has it: a move waits for that.
    const frame = () => this.evaluate(() => new Promise((drawn) => {
      requestAnimationFrame(() => requestAnimationFrame(drawn));
    }));
    this.mouse = {
      move: async (x, y) => {
        this.at = { x: Math.round(x), y: Math.round(y) };
        await actions().move({ ...this.at, origin: Origin.VIEWPORT }).perform();
        await frame();
      },
      down: ({ button = 'left' } = {}) => actions().press(Button[button.toUpperCase()]).perform(),
      up: ({ button = 'left' } = {}) => actions().release(Button[button.toUpperCase()]).perform(),
      twice: () => actions().press().release().press().release().perform(),
      wheel: (deltaX, deltaY) => actions().scroll(this.at.x, this.at.y, deltaX, deltaY).perform(),
    };
  }

  // The window sized so that the page's own viewport has this size.
  async setViewportSize({ width, height }) {
    await this.driver.manage().window().setRect({ width, height });
    const [innerWidth, innerHeight] = await this.evaluate(() => [window.innerWidth, window.innerHeight]);
    await this.driver.manage().window().setRect({ width: 2 * width - innerWidth, height: 2 * height - innerHeight });
  }

  on(event, listener) {
    if (!this.listeners[event]) throw new Error(`WebKit's tests cannot watch for ${event}`);
    this.listeners[event].push(listener);
  }
  context() { return { grantPermissions: async () => {} }; }
  addInitScript(fn) { this.initScripts.push(fn); }

  // Without the driver's events, errors are caught in the page from its load
  // on, and handed to the listeners at the next navigation and at the end.
  async goto(url) {
    await this.collectErrors();
    await this.driver.get(url);
    await this.evaluate(() => {
      window.caughtErrors = [];
      addEventListener('error', (event) => window.caughtErrors.push(event.message));
      addEventListener('unhandledrejection', (event) => window.caughtErrors.push(String(event.reason)));
      const { error } = console;
      console.error = (...values) => {
        window.caughtErrors.push(values.join(' '));
        error.apply(console, values);
      };
    });
    for (const fn of this.initScripts) await this.evaluate(fn);
  }
  async collectErrors() {
    const caught = await this.evaluate(() => window.caughtErrors ?? []).catch(() => []);
    for (const message of caught) for (const listener of this.listeners.pageerror) listener({ message });
    await this.evaluate(() => { window.caughtErrors = []; }).catch(() => {});
  }

  evaluate(fn, arg) { return this.driver.executeScript(script(fn), arg); }
  async waitForFunction(fn, arg, { timeout = 30000 } = {}) {
    const ends = Date.now() + timeout;
    while (!(await this.evaluate(fn, arg))) {
      if (Date.now() > ends) throw new Error(`Timeout ${timeout} ms waiting for ${fn}`);
      await sleep(50);
    }
  }
  waitForTimeout(ms) { return sleep(ms); }
  async screenshot({ path }) { await writeFile(path, await this.driver.takeScreenshot(), 'base64'); }

  locator(css) { return new Locator(this, [{ css }]); }
  getByRole(role, options) { return new Locator(this, []).getByRole(role, options); }
  getByText(text) { return new Locator(this, [{ text: wanted(text) }]); }

  async close() {
    await this.collectErrors();
    await this.driver.quit().catch(() => {});
    this.server.kill();
  }
}
