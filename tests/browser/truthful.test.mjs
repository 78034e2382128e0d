// Nothing the controls or the map say is false: what a control types is what
// it shows, and what the page says is of the run on screen, from what the
// program read in it. Each case is a way a learner once made the page say or
// do what they did not ask: a large start shortened, a field left unchanged
// starting a run, the sentence of a run no longer on screen, a cell's words
// for another limit than its click's, NaN and infinity in the fields, other
// buttons and the wheel, rectangles left behind, a zoom past what can be
// labelled, a half-computed map, and the map by keys.
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import {
  opener, screenText, waitFor, replayAddress, cellPoint, engine, engineName, noPhone, field, readAs, mapCell, mapDone, frames,
} from './page.mjs';

const openBrowser = opener(after);
async function openPage(options) {
  const browser = await openBrowser(options);
  await browser.page.goto(browser.url);
  await waitFor(browser.page, 'waiting for input');
  return browser;
}

const map = (page) => page.getByRole('application', { name: 'Map' });
const view = (page) => map(page).evaluate((canvas) => canvas.dataset.view.split(' ').map(Number));
const picture = (page) => map(page).evaluate((canvas) => canvas.toDataURL());
async function send(page, name, text) {
  await field(page, name).fill(text);
  await field(page, name).press('Enter');
}

test('a large start keeps its digits and its exponent when the handle moves it', async () => {
  const { page } = await openPage();
  await send(page, 'start point', '1.5e200');
  await readAs(page).filter({ hasText: 'start 1.5e+200' }).waitFor();
  await page.getByRole('slider', { name: 'start point' }).press('ArrowLeft');
  await frames(page);
  await readAs(page).filter({ hasText: 'The program read start 1.5e+200, λ 0.5' }).waitFor();
  assert.equal(await field(page, 'start point').inputValue(), '1.5e+200');
});

test('leaving a field that did not change runs nothing, and keeps what the console was typed', async () => {
  const { page, url } = await openPage();
  const question = await screenText(page);
  await field(page, 'start point').click();
  await page.keyboard.press('Tab');
  await frames(page);
  assert.equal(await screenText(page), question);
  await page.goto(replayAddress(url, 'n\n-3\n'));
  await waitFor(page, 'waiting for input');
  const typed = await screenText(page);
  assert.ok(typed.includes('-3') && typed.endsWith('enter lambda (double): '), typed);
  await field(page, 'λ').click();
  await page.keyboard.press('Tab');
  await frames(page);
  assert.equal(await screenText(page), typed);
});

test('after Run again, and while the program waits for more, nothing is said of the run before', async () => {
  const { page } = await openPage();
  await send(page, 'start point', '-3');
  await readAs(page).filter({ hasText: 'The program read start -3' }).waitFor();
  await page.getByRole('button', { name: 'Run again' }).click();
  await waitFor(page, 'waiting for input');
  assert.equal(await readAs(page).textContent(), '');
  assert.equal(await mapCell(page).textContent(), '');
  assert.equal(await page.getByRole('slider', { name: 'start point' }).getAttribute('aria-valuetext'),
    'start point, not read yet');
  // An empty start: the program reads on into the λ and the limit.
  await send(page, 'start point', '-2');
  await readAs(page).filter({ hasText: 'start -2' }).waitFor();
  await send(page, 'start point', '');
  await waitFor(page, 'waiting for input');
  assert.ok((await screenText(page)).endsWith('enter maxRuns int: '));
  assert.equal(await readAs(page).textContent(), '');
  assert.equal(await page.locator('#read-as').getAttribute('aria-live'), 'polite');
});

test("a cell's words are the outcome of the dialogue its click types, limit and all", async () => {
  const { page } = await openPage();
  await field(page, 'limit').fill('10');
  await send(page, 'start point', 'abc');
  await readAs(page).filter({ hasText: 'limit 500' }).waitFor();
  await mapDone(page);
  assert.equal(await page.locator('#map-limit').textContent(),
    'Each cell is its dialogue with the limit 500, which a click types.');
  // Start -3 is column 40 of the whole map, λ 0.25 row 8.
  const three = await cellPoint(page, 40, 8);
  await map(page).hover({ position: three });
  assert.equal(await mapCell(page).textContent(), 'start -3, λ 0.25: Done after: 129 runs');
  await map(page).click({ position: three });
  await page.waitForFunction(() => document.getElementById('screen').textContent.includes('Done after: 129 runs'));
  assert.equal(await field(page, 'limit').inputValue(), '500');
});

test('NaN and infinity are shown as the program reads them back, and the map and the slider follow', async () => {
  const { page, url } = await openPage();
  await send(page, 'start point', 'nan');
  await readAs(page).filter({ hasText: 'start nan' }).waitFor();
  await map(page).focus();
  await page.keyboard.press('ArrowRight');
  await mapCell(page).filter({ hasText: /^start -3\.975, λ 0\.5: / }).waitFor();

  // 1e400 fails the start's read, which stores infinity: sent again from
  // the fields, the same run.
  await page.goto(replayAddress(url, 'n\n1e400\n'));
  await waitFor(page, /waiting for input|exit status/);
  assert.equal(await field(page, 'start point').inputValue(), 'inf');
  const first = await screenText(page);
  await field(page, 'λ').press('Enter');
  await page.waitForFunction((before) => document.getElementById('screen').textContent !== before, first);
  await waitFor(page, 'waiting for input');
  assert.match(await screenText(page), /\n-?nan\n-?nan\n/);
  assert.doesNotMatch(await screenText(page), /Done after/);

  await page.goto(replayAddress(url, 'n\n0\ninf\n3\n'));
  await waitFor(page, /waiting for input|exit status/);
  const slider = page.getByRole('slider', { name: 'λ' });
  assert.equal(await slider.inputValue(), '2');
  assert.equal(await slider.getAttribute('aria-valuetext'), 'λ inf');
});

test("the map stays put while the words under it wrap, so a click runs the cell they name", async () => {
  const { page } = await openPage();
  await mapDone(page);
  const top = () => map(page).evaluate((canvas) => canvas.getBoundingClientRect().top);
  const before = await top();
  // As long as the words about a cell of a rounding's map can grow, and longer.
  await mapCell(page).evaluate((words) => { words.textContent = 'start -2.05, λ 1.125: '.repeat(12); });
  await frames(page);
  assert.equal(await top(), before, 'the map did not move');
  // Start -3 is column 40 of the whole map, λ 0.25 row 8, on whatever line
  // the words stand.
  const three = await cellPoint(page, 40, 8);
  await map(page).hover({ position: three });
  assert.equal(await mapCell(page).textContent(), 'start -3, λ 0.25: Done after: 129 runs');
  await map(page).click({ position: three });
  await readAs(page).filter({ hasText: 'The program read start -3, λ 0.25, limit 500.' }).waitFor();
});

test('−0 is read, said and typed back as −0, and runs as −0 again from the fields', async () => {
  const { page, url } = await openPage();
  await page.goto(replayAddress(url, 'n\n-0\n1\n10\n'));
  await waitFor(page, 'waiting for input');
  // From −0 the first run lands on 1, and only then the cycle of 1 and +0
  // begins: −0 and +0 are two doubles.
  const cycle = /^from run 1 on the iterate alternates between two doubles/;
  assert.match(await page.locator('#ending').textContent(), cycle);
  assert.equal(await readAs(page).textContent(), 'The program read start -0, λ 1, limit 10.');
  assert.equal(await field(page, 'start point').inputValue(), '-0');
  assert.equal(await page.getByRole('slider', { name: 'start point' }).getAttribute('aria-valuetext'), 'start point -0');
  assert.match(await mapCell(page).textContent(), /^marked: the run of start -0, λ 1$/);
  const first = await screenText(page);
  await field(page, 'limit').fill('11');
  await field(page, 'limit').press('Enter');
  await page.waitForFunction((before) => document.getElementById('screen').textContent !== before, first);
  await waitFor(page, 'waiting for input');
  assert.equal(await readAs(page).textContent(), 'The program read start -0, λ 1, limit 11.');
  assert.match(await page.locator('#ending').textContent(), cycle);
});

test('only the primary button runs a cell or starts a drag', async () => {
  const { page } = await openPage();
  await mapDone(page);
  await map(page).focus();
  await frames(page);
  const [before, drawn] = [await screenText(page), await picture(page)];
  const { x, y } = await map(page).evaluate((canvas, at) => {
    const box = canvas.getBoundingClientRect();
    return { x: box.left + at.x, y: box.top + at.y };
  }, await cellPoint(page, 40, 8));
  for (const button of ['right', 'middle']) {
    await page.mouse.move(x, y);
    await page.mouse.down({ button });
    await page.mouse.up({ button });
  }
  await page.keyboard.press('Escape');
  await page.mouse.move(x + 40, y + 10);
  await frames(page);
  assert.equal(await screenText(page), before);
  await map(page).focus();
  await frames(page);
  assert.equal(await picture(page), drawn, 'no rectangle drawn');
});

test('each wheel notch counts, and a sideways scroll does not zoom',
  { skip: engineName === 'webkit' && "WebKit's driver hands the page one wheel event of two turned" }, async () => {
  const { page } = await openPage();
  await mapDone(page);
  await map(page).scrollIntoViewIfNeeded();
  const box = await map(page).boundingBox();
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 3);
  await page.mouse.wheel(0, -100);
  await page.mouse.wheel(0, -100);
  await page.waitForFunction(() => document.getElementById('map').dataset.view !== '-4.0125 4.0125 0.0375 2.0125');
  // The wheel at rest, whichever way the notches came.
  await page.waitForTimeout(400);
  const zoomed = await view(page);
  // Two notches of 0.8 each: 0.64 of the map's 8 wide, to a cell.
  assert.ok(Math.abs(zoomed[1] - zoomed[0] - 0.64 * 8) < 0.05, `${zoomed[1] - zoomed[0]} wide`);
  await page.mouse.wheel(100, 0);
  await page.waitForTimeout(400);
  assert.deepEqual(await view(page), zoomed, 'no zoom sideways');
});

test('a drag that selects no area leaves nothing drawn', async () => {
  const { page } = await openPage();
  await mapDone(page);
  await map(page).focus();
  await frames(page);
  const before = await picture(page);
  const box = await map(page).boundingBox();
  const [left, top] = await map(page).evaluate((canvas) => canvas.dataset.plot.split(' ').map(Number));
  // Sideways along a row of cells, then down over the legend.
  for (const [from, to] of [[[left + 20, top + 30], [left + 140, top + 30]], [[left + 10, box.height - 14], [left + 120, box.height - 4]]]) {
    await page.mouse.move(box.x + from[0], box.y + from[1]);
    await page.mouse.down();
    await page.mouse.move(box.x + to[0], box.y + to[1]);
    await page.mouse.up();
  }
  await page.mouse.move(0, 0);
  await frames(page);
  assert.equal(await picture(page), before);
});

test("at a phone's width, a finger moved before a pinch leaves no drag behind: the next tap runs its cell",
  { skip: !engine.touch && "only Chromium's driver touches with two fingers" }, async () => {
    const { page } = await openPage({ width: 390, height: 844, touch: true });
    await mapDone(page);
    await map(page).scrollIntoViewIfNeeded();
    const box = await map(page).boundingBox();
    const at = (x, y) => ({ x: box.x + x, y: box.y + y });
    const cdp = await page.context().newCDPSession(page);
    const touch = (type, points) => cdp.send('Input.dispatchTouchEvent',
      { type, touchPoints: points.map((point, id) => ({ ...point, id })) });
    await touch('touchStart', [at(100, 60)]);
    await touch('touchMove', [at(130, 70)]);
    await touch('touchStart', [at(130, 70), at(200, 100)]);
    await touch('touchMove', [at(120, 66), at(230, 110)]);
    await touch('touchEnd', []);
    await page.waitForFunction(() => document.getElementById('map').dataset.view !== '-4.0125 4.0125 0.0375 2.0125');
    await mapDone(page);
    const cell = await cellPoint(page, 100, 40);
    await map(page).tap({ position: cell });
    const [, start, lambda] = /^start (\S+), λ (\S+):/.exec(await mapCell(page).textContent());
    await readAs(page).filter({ hasText: `start ${start}, λ ${lambda}` }).waitFor();
  });

for (const width of [320, 1280]) {
  test(`at ${width} px, + zooms no finer than can be labelled, every label fits, and − zooms back out`,
    { skip: width < 447 && noPhone }, async () => {
      const { page } = await openPage({ width, height: 800 });
      await mapDone(page);
      await map(page).focus();
      for (let press = 0; press < 40; press++) await page.keyboard.press('+');
      await frames(page);
      await frames(page);
      await mapDone(page);
      // As many cells as the whole map, 1e-12 apart, not fewer.
      const [columns, rows] = await map(page).evaluate((canvas) => canvas.dataset.cells.split(' ').map(Number));
      assert.ok(columns >= 300 && rows >= 70, `${columns} × ${rows} cells`);
      const { labels, canvas } = await map(page).evaluate((element) => ({
        labels: JSON.parse(element.dataset.labels), canvas: element.clientWidth }));
      const [x0, x1, y0, y1] = await view(page);
      for (const label of labels) {
        assert.ok(label.left >= 0 && label.right <= canvas, `${label.text} within the map`);
        const value = Number(label.text);
        if (!Number.isNaN(value) && label.text.includes('.')) {
          assert.ok((value >= x0 && value <= x1) || (value >= y0 && value <= y1), `${label.text} is on an axis`);
        }
      }
      for (const a of labels) {
        for (const b of labels) {
          if (a !== b && a.y === b.y) assert.ok(a.right <= b.left || b.right <= a.left, `${a.text} clear of ${b.text}`);
        }
      }
      assert.ok(labels.some(({ text }) => text === 'inf/NaN'), 'the legend whole');
      for (let press = 0; press < 40; press++) await page.keyboard.press('-');
      await page.waitForFunction(() => document.getElementById('map').dataset.view === '-4.0125 4.0125 0.0375 2.0125');
    });
}

test('a half-computed map shows coarse cells where its fine ones are not known yet', async () => {
  const { page } = await openPage();
  // The map of the limit 5000 is seen from 2,000 cells on, when its coarsest
  // cells cover it, at whichever change of its words: with the workers up it
  // takes a second or two, and a look now and then may miss that.
  await page.evaluate(() => {
    const progress = document.getElementById('map-progress');
    const limit = document.getElementById('map-limit');
    new MutationObserver((changes, observer) => {
      const count = Number(/^([\d,]+) of 25,359 cells/.exec(progress.textContent)?.[1].replace(/,/g, ''));
      if (limit.textContent.includes('limit 5000') && count >= 2000 && count < 25359) {
        window.halfComputed = true;
        observer.disconnect();
      }
    }).observe(progress, { childList: true, characterData: true, subtree: true });
  });
  // Zoomed in by a key, and back before the whole map is done: what the map
  // shows in the moment it is back, and how far it had come.
  await send(page, 'limit', '5000');
  await page.waitForFunction(() => window.halfComputed);
  await map(page).press('+');
  await page.locator('#map-progress').filter({ hasNotText: /of 25,359 cells/ }).waitFor();
  await map(page).evaluate((canvas) => document.addEventListener('click', () => {
    const ratio = canvas.width / canvas.clientWidth;
    const [left, top, width, height] = canvas.dataset.plot.split(' ').map((v) => Number(v) * ratio);
    const { data } = canvas.getContext('2d').getImageData(left + 1, top + 1, width - 2, height - 2);
    let unpainted = 0;
    for (let at = 3; at < data.length; at += 4) unpainted += data[at] === 0;
    window.back = { unpainted, progress: document.getElementById('map-progress').textContent };
  }, { once: true }));
  await page.getByRole('button', { name: 'Whole map' }).click();
  const back = await page.evaluate(() => window.back);
  assert.doesNotMatch(back.progress, /^25,359 of/, 'the whole map was not done before the drag');
  assert.equal(back.unpainted, 0);
});

test('the cell pointed at is told once, not at every frame of a computation', async () => {
  const { page } = await openPage();
  await mapDone(page);
  await map(page).hover({ position: await cellPoint(page, 40, 8) });
  await page.evaluate(() => {
    window.cellChanges = 0;
    new MutationObserver(() => window.cellChanges++).observe(document.getElementById('map-cell'),
      { childList: true, characterData: true, subtree: true });
  });
  await field(page, 'limit').fill('400');
  await field(page, 'limit').press('Enter');
  await page.locator('#map-progress').filter({ hasText: /^25,359 of 25,359 cells$/ }).waitFor();
  const changes = await page.evaluate(() => window.cellChanges);
  assert.ok(changes <= 3, `${changes} changes of the cell's words`);
});
