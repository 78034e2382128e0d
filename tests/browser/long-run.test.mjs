// A run to the largest limit, whose every line is NaN: the tab keeps
// answering, the page stays bounded however long it runs, the last lines show
// as they come, and Stop ends it within a second.
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import { open, screen, screenText, state, waitFor, saveScreen, typeKeys, engine, stop } from './page.mjs';

const browser = await open();
const { page } = browser;
after(async () => {
  assert.deepEqual(browser.errors, [], 'no page error is logged');
  await browser.close();
});

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
// The page's heap after a full collection, the DOM's objects with the
// script's, through the DevTools protocol: the script's own collection
// (--expose-gc) leaves some, and its weighings swung by up to 12 MiB where
// these stay within about 1.
const devTools = engine.heap && await page.context().newCDPSession(page);
const heap = async () => {
  await devTools.send('HeapProfiler.collectGarbage');
  return page.evaluate(() => performance.memory.usedJSHeapSize);
};
// The last line shown, and whether the screen is scrolled to its end.
const screenEnd = () => screen(page).evaluate((element) => ({
  last: element.textContent.slice(element.textContent.lastIndexOf('\n', element.textContent.length - 2) + 1),
  atEnd: element.scrollHeight - element.scrollTop - element.clientHeight < 2,
  lines: element.textContent.split('\n').length - 1,
}));

test('2147483647 runs from 1e200', async () => {
  await page.goto(browser.url);
  await waitFor(page, 'waiting for input');
  await screen(page).click();
  await typeKeys(page, 'n\n1e200\n0.5\n2147483647\n');

  // A key typed and a click during the run are answered: from the moment the
  // browser took the event to the frame that shows its answer (the key's
  // echo, the click's saved screen), measured in the page.
  await page.evaluate(() => {
    window.answerTimes = { keydown: [], click: [] };
    for (const type of ['keydown', 'click']) {
      document.addEventListener(type, (event) => {
        requestAnimationFrame(() => window.answerTimes[type].push(performance.now() - event.timeStamp));
      }, true);
    }
  });
  for (let i = 0; i < 10; i++) {
    await page.waitForTimeout(200);
    await screen(page).click();
    await page.keyboard.type('x');
    await page.locator('.edit').filter({ hasText: 'x'.repeat(i + 1) }).waitFor();
    await saveScreen(page);
  }
  await screen(page).click();
  for (let i = 0; i < 10; i++) await page.keyboard.press('Backspace');
  const { keydown, click } = await page.evaluate(() => window.answerTimes);
  const figures = (times) => `a median ${median(times).toFixed(0)} ms, at most ${Math.max(...times).toFixed(0)} ms`;
  console.log(`keys answered in ${figures(keydown)}, clicks in ${figures(click)}`);
  for (const times of [keydown, click]) {
    assert.ok(Math.max(...times) < engine.answerMs, `answered within ${engine.answerMs} ms: ${times.map(Math.round)}`);
  }
  assert.equal(await state(page), 'running');

  // Lines go on coming and the end is in view.
  const first = await screenEnd();
  await page.waitForTimeout(500);
  const later = await screenEnd();
  assert.equal(later.last, '-nan\n');
  assert.ok(later.atEnd, 'the screen shows its end');

  // Bounded: past the lines the screen keeps, the earliest leave and the
  // page says how many; the heap stops growing.
  await page.getByText(/the earliest [\d,]+ lines have left the screen/).waitFor({ timeout: 30000 });
  // Five weighings a second apart, after the first: none may be much above
  // it. Only Chromium lets a page weigh its heap.
  const heaps = [];
  for (let i = 0; engine.heap && i < 6; i++) {
    if (i) await page.waitForTimeout(1000);
    heaps.push(await heap());
  }
  const { lines } = await screenEnd();
  const mebibytes = heaps.map((bytes) => (bytes / 2 ** 20).toFixed(1)).join(', ');
  console.log(`screen ${lines} lines, ${await page.locator('#dropped').textContent()};`
    + (engine.heap ? ` heap ${mebibytes} MiB, a second apart` : ' heap not weighed'));
  assert.ok(lines <= 201000, `the screen keeps at most about 200,000 lines: ${lines}`);
  if (engine.heap) {
    assert.ok(Math.max(...heaps) < heaps[0] + 4 * 2 ** 20, `the heap does not grow with the run: ${mebibytes} MiB`);
  }
  await saveScreen(page);
  assert.match(await page.locator('#notice').textContent(),
    /^Saved without the first [\d,]+ lines the program wrote, which had left the screen\.$/);

  const stopTime = await stop(page);
  console.log(`stopped in ${stopTime.toFixed(0)} ms; ${first.lines} lines seen at first`);
  assert.ok(stopTime < 1000, `Stop ends the run within a second: ${stopTime} ms`);
  const end = await screenText(page);
  await page.waitForTimeout(300);
  assert.equal(await screenText(page), end, 'nothing is written after Stop');

  // Every run followed, all NaN from the first: one stretch in the notes.
  const dropped = Number((await page.locator('#dropped').textContent()).replace(/\D/g, ''));
  const [, followed] = /^runs 1 to ([\d,]+): -?nan, not drawn$/.exec(await page.locator('#notes').textContent());
  assert.ok(Number(followed.replace(/,/g, '')) > dropped, `${followed} runs followed, ${dropped} lines dropped`);
  // Once the lines have stopped, all the screen keeps is laid out to be
  // read and searched, not only the part last on screen: no block is left
  // unseen.
  await page.waitForFunction(() => !document.querySelector('#screen .unseen'), null, { timeout: 20000 });
});
