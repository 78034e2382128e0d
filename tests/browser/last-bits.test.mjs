// The runs to the last bit, read as a learner reads them: a run's row in the
// table (its printed line, and the double it is as the shortest decimal and
// in C's %a), the sentence that says why a run ends or never does, the plot
// of how far each run moved the iterate against the table's ulps, Copy
// table, and the picture, the plot and the map saved as files. The expected
// texts are facts of IEEE double arithmetic, worked out apart from this
// program by tests/last-bits-witness.py, not read off the page.
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import {
  opener, screen, waitFor, typeKeys, replayAddress, keepCopies, copied, saveFile, allowClipboard, stop, engine, press,
} from './page.mjs';

const openBrowser = opener(after);
async function openPage({ copies = false } = {}) {
  const browser = await openBrowser();
  if (copies) {
    await keepCopies(browser.page);
    await allowClipboard(browser.page);
  }
  return browser;
}

async function replay(page, url, typed) {
  await page.goto(replayAddress(url, typed));
  await waitFor(page, /waiting for input|exit status/);
}

const table = (page) => page.getByRole('table', { name: 'to the last bit' });
const ending = (page) => page.locator('#ending').textContent();

// The table's rows as a person sees them: each cell's visible text (what is
// there only for a screen reader left out), and which row is the chosen one.
const rows = (page) => table(page).evaluate((element) => [...element.tBodies[0].rows].map((row) => {
  const cells = [...row.cells].map((cell) => {
    const seen = cell.cloneNode(true);
    for (const hidden of seen.querySelectorAll('.visually-hidden')) hidden.remove();
    return seen.textContent;
  });
  return { cells, chosen: row.getAttribute('aria-current') === 'true' };
}));
const row = async (page, run) => (await rows(page)).find(({ cells }) => cells[0] === String(run));
// Two columns, as the table's header names them.
const RUN = 0;
const ULPS = 4;
const GAPS = 9;

// From -2 with λ 1.7: why no Done line comes, and why no run stops there.
const SETTLES = 'from run 93 on the iterate alternates between two doubles 4 ulps apart, -0x1.c4f057fe848c6p+0 '
  + 'and -0x1.c4f057fe848cap+0: no run leaves it unchanged, so no Done line comes';
const BY_THE_ROOT = '. f(x) there is 3.6e-15 and -3.6e-15, rounding noise by the root, and the damped step is 3.7 and '
  + '3.7 gaps, never under half a gap, so every run moves the iterate';

test("the built-in run to the last bit: run 13's double, the last runs halving, and the Done sentence", async () => {
  const { page, url } = await openPage();
  await replay(page, url, 'y\n');
  assert.equal(await ending(page), 'run 63 left the iterate unchanged: Done after: 63 runs. Run 63: its damped step, '
    + '9.0e-17, is 0.41 of the gap to the next double down, 2.2e-16: under half a gap, x − step rounds back to x');
  // Following the run: its last 21 runs, the unchanging one chosen.
  const last = await rows(page);
  assert.deepEqual(last.map(({ cells }) => Number(cells[RUN])), Array.from({ length: 21 }, (_, k) => 43 + k));
  assert.deepEqual(last.at(-1), { cells: ['63', 'Done after: 63 runs', ...last.at(-2).cells.slice(2, 4), '0',
    ...last.at(-1).cells.slice(5)], chosen: true });
  // λ 0.5 about halves each move: 9, 4, 3 and 1 ulps down, then none.
  assert.deepEqual(last.slice(-5).map(({ cells }) => cells[ULPS]), ['-9', '-4', '-3', '-1', '0']);
  // Each step in gaps: the one under half a gap is the run that stops, and says so.
  assert.deepEqual(last.slice(-5).map(({ cells }) => cells[GAPS]), ['8.9', '4.5', '2.6', '1.1', '0.41']);
  assert.equal(await page.locator('#bits-table tbody td.under-half').evaluate((cell) =>
    `${cell.closest('tr').dataset.run}: ${cell.textContent}${getComputedStyle(cell, '::after').content}`), '63: 0.41" < ½"');

  // Run 13, stepped to as in the picture: the escape from the valley.
  await page.getByRole('button', { name: 'Previous run' }).click();
  for (let run = 62; run > 13; run--) await page.keyboard.press('ArrowLeft');
  assert.match(await table(page).locator('caption').textContent(), /^Runs 3 to 23 to the last bit; run 13 chosen$/);
  const chosen = (await rows(page)).filter((r) => r.chosen);
  assert.deepEqual(chosen.map(({ cells }) => cells.slice(0, 5)),
    [['13', '-1.2995', '-1.2994965211676668', '-0x1.4cabcdd3ae4f8p+0', '-9214441045741519841']]);
  // The run before it, in the row above: where run 13 started.
  assert.deepEqual((await row(page, 12)).cells.slice(1, 4), ['0.858713', '0.8587125427502232', '0x1.b7a92b9f8dee9p-1']);
  // Its changed digits are marked, and a screen reader is told where; the
  // cell selected is the number, as a person copies it.
  const cell = table(page).locator('tr[aria-current="true"] td:nth-of-type(3)');
  assert.deepEqual(await cell.evaluate((td) => {
    const mark = td.querySelector('mark');
    window.getSelection().selectAllChildren(td);
    return [getComputedStyle(mark, '::before').content, window.getSelection().toString()];
  }), ['" changed: "', '-0x1.4cabcdd3ae4f8p+0']);

  // ↓ on the table chooses the next run, in the picture too; a click, another.
  await page.getByRole('region', { name: 'Table of runs' }).focus();
  await page.keyboard.press('ArrowDown');
  assert.match(await page.locator('figcaption').textContent(), /^run 14: from -1\.2995,/);
  assert.equal((await rows(page)).find((r) => r.chosen).cells[RUN], '14');
  await table(page).locator('tbody th').filter({ hasText: /^20$/ }).click();
  assert.match(await page.locator('figcaption').textContent(), /^run 20: /);
});

test("the plot shows each run's move as the table gives it, on a log scale, and the drawings save", async () => {
  const { page, url } = await openPage();
  await replay(page, url, 'y\n');
  const plot = page.getByRole('img', { name: 'Ulps each run moved the iterate' });
  const points = await plot.evaluate((svg) => [...svg.querySelectorAll('.move')].map((point) => ({
    run: Number(point.dataset.run), ulps: point.dataset.ulps, y: point.cy.baseVal.value,
    chosen: point.classList.contains('chosen'),
  })));
  assert.deepEqual(points.map((point) => point.run), Array.from({ length: 63 }, (_, k) => k + 1));
  for (const { cells } of await rows(page)) {
    assert.equal(points[Number(cells[RUN]) - 1].ulps, cells[ULPS], `run ${cells[RUN]} plotted as the table has it`);
  }
  assert.deepEqual(points.filter((point) => point.chosen).map((point) => point.run), [63]);
  // Where the scale's labels are, the moves sit: the unchanging run on the
  // row of 0, and 1, 3 and 9 ulps a log scale apart.
  const labels = await plot.evaluate((svg) => [...svg.querySelectorAll('text[text-anchor="end"]')]
    .map((text) => [text.textContent, text.y.baseVal[0].value - 4]));
  const at = Object.fromEntries(labels);
  const [top, topY] = labels.filter(([text]) => Number(text) > 1).at(-1);
  const decade = (at['1'] - topY) / Math.log10(Number(top));
  const y = (run) => points[run - 1].y;
  assert.equal(y(63), at['0'], 'the unchanging run on the row of no move');
  for (const [run, ulps] of [[62, 1], [61, 3], [59, 9]]) {
    assert.ok(Math.abs(at['1'] - y(run) - decade * Math.log10(ulps)) < 0.01, `run ${run}: ${ulps} ulps`);
  }

  // The picture and the plot saved as SVG, the map as PNG.
  const picture = (await saveFile(page, 'Save picture')).toString();
  assert.match(picture, /^<\?xml version="1.0" encoding="UTF-8"\?>\n<svg [^>]*xmlns="http:\/\/www.w3.org\/2000\/svg"/);
  assert.match(picture, /<style>[^<]*\.curve \{/, 'with the styles that draw it');
  assert.match(picture, /data-to="-1.76929"/);
  const savedPlot = (await saveFile(page, 'Save plot')).toString();
  assert.match(savedPlot, /^<\?xml[^]*<svg [^>]*id="moves"/);
  assert.equal([...savedPlot.matchAll(/class="move[ "]/g)].length, 63, 'a point for every run');
  await page.locator('#map-progress').filter({ hasText: /^25,359 of 25,359 cells$/ }).waitFor();
  const map = await saveFile(page, 'Save map');
  assert.deepEqual([...map.subarray(0, 8)], [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a], 'a PNG');
});

test('why a run never ends: a cycle of two doubles, the undamped cycle, NaN, the limit first', async () => {
  const { page, url } = await openPage();
  await page.goto(url);
  await waitFor(page, 'waiting for input');
  const tried = async (name, sentence) => {
    await page.getByRole(name === 'overflow' ? 'button' : 'link', { name, exact: true }).click();
    await page.locator('#ending').filter({ hasText: sentence }).waitFor();
    assert.equal(await ending(page), sentence);
  };
  await tried('never settling', `${SETTLES}${BY_THE_ROOT}`);
  // 1 is 0x3ff << 52 doubles from 0.
  await tried('the undamped cycle', 'from the start point on the iterate alternates between two doubles '
    + '4607182418800017408 ulps apart, 0x0p+0 and 0x1p+0: no run leaves it unchanged, so no Done line comes. '
    + 'f(x) there is 2.0 and 1.0: the runs never come near the root');
  await tried('overflow', 'from run 1 on the iterate is NaN, and NaN never equals itself: no run passes the stop '
    + 'test, so no Done line comes and the runs go on, all 500 runs to the limit');
  // NaN's sign in every column as the program writes it, from the native
  // build on the module's pow path (tests/last-bits.cpp, 1e200 0.5 3): a
  // browser that makes a NaN a JavaScript number may drop it.
  await replay(page, url, 'n\n1e200\n0.5\n3\n');
  assert.deepEqual((await row(page, 3)).cells, ['3', '-nan', '-nan', '-nan', 'NaN', 'nan', '-nan', 'nan', 'nan', 'nan']);
  await replay(page, url, 'n\n-3\n0.25\n10\n');
  assert.equal(await ending(page), 'run 10 moved the iterate 194875445265595 ulps up, and then the limit of 10 runs '
    + 'came: no Done line');
  // With room, the same run ends after creeping up a double at a time.
  await replay(page, url, 'n\n-3\n0.25\n500\n');
  assert.equal(await ending(page), 'run 129 left the iterate unchanged: Done after: 129 runs. Run 129: its damped step, '
    + '-4.5e-17, is 0.20 of the gap to the next double up, 2.2e-16: under half a gap, x − step rounds back to x');
  assert.deepEqual((await rows(page)).slice(-5).map(({ cells }) => cells[ULPS]), ['+1', '+1', '+1', '+1', '0']);
});

test('a run of two billion lines: the cycle and the NaN found from the runs kept', async () => {
  const { page, url } = await openPage();
  for (const [start, lambda, sentence] of [
    ['-2', '1.7', `${SETTLES}${BY_THE_ROOT}`],
    // Still running: the limit is not said to have come.
    ['1e200', '0.5', 'from run 1 on the iterate is NaN, and NaN never equals itself: no run passes the stop test, '
      + 'so no Done line comes and the runs go on'],
  ]) {
    await page.goto(url);
    await waitFor(page, 'waiting for input');
    await screen(page).click();
    await typeKeys(page, `n\n${start}\n${lambda}\n2147483647\n`);
    // The table and the plot follow the latest runs, long after the first thousands.
    await page.waitForFunction(() => Number(document.querySelector('#bits-table tbody th')?.textContent) > 10000);
    assert.equal(await ending(page), sentence);
    await stop(page);
  }
});

test('during a fast run a row clicked is chosen, and a double-click selects a number of the row it lands on',
  async () => {
    const { page, url } = await openPage();
    await page.goto(replayAddress(url, 'n\n-2\n1.7\n2147483647\n'));
    await page.waitForFunction(() => Number(document.querySelector('#bits-table tbody th')?.textContent) > 10000);
    const chosen = async () => (await rows(page)).filter((r) => r.chosen).map(({ cells }) => cells[RUN]);
    // The row under the pointer as the button goes down: the rows move on
    // between a look at the table and the click.
    await page.evaluate(() => addEventListener('pointerdown', (event) => {
      window.pressedRun = event.target.closest('tr')?.dataset.run
        ?? `none: ${event.target.id || event.target.tagName} at ${event.clientY}, scrolled ${scrollY}`;
    }, { capture: true }));
    // Aimed in one look: a row found first may be made anew before it is measured.
    await press(page, await page.evaluate(() => {
      const header = document.querySelector('#bits-table tbody tr:nth-of-type(5) th');
      header.scrollIntoView({ block: 'center' });
      const box = header.getBoundingClientRect();
      return { x: box.left + box.width / 2, y: box.top + box.height / 2 };
    }));
    const run = await page.evaluate(() => window.pressedRun);
    assert.deepEqual(await chosen(), [run]);
    assert.match(await page.locator('figcaption').textContent(), new RegExp(`^run ${run}: `));
    // A number in another row, double-clicked: that row is chosen, and the
    // number selected is the one the pointer was on.
    const cell = table(page).locator('tbody tr:nth-of-type(12) td:nth-of-type(2)');
    const [other, number] = await cell.evaluate((td) => [td.parentElement.dataset.run, td.textContent]);
    await cell.dblclick();
    assert.deepEqual(await chosen(), [other]);
    // (How much of a number a double-click takes as a word is the engine's.)
    const selected = await page.evaluate(() => window.getSelection().toString().trim());
    if (engine.selects) assert.ok(selected && number.includes(selected), `${JSON.stringify(selected)} of ${number}`);
    await stop(page);
  });

test('Copy table gives the rows shown, with their headers, as tab-separated text', async () => {
  const { page, url } = await openPage({ copies: true });
  await replay(page, url, 'n\n-2\n1\n10\n');
  await page.getByRole('button', { name: 'Copy table' }).click();
  await page.locator('#bits-notice').filter({ hasText: 'Copied the 6 rows shown' }).waitFor();
  const lines = (await copied(page)).split('\n');
  assert.equal(lines.pop(), '', 'every line ends');
  assert.deepEqual(lines[0].split('\t'), ['run', 'line printed', 'iterate, shortest decimal', 'iterate, %a',
    'ulps moved', 'f(x)', 'f′(x)', 'f(x) / f′(x)', 'damped step', 'step in gaps']);
  assert.deepEqual(lines.slice(1).map((line) => line.split('\t')), (await rows(page)).map(({ cells }) => cells));
  // Run 1 from -2: f(-2) = -2, f'(-2) = 10, undamped to -1.8; the step goes
  // up, where the doubles below 2 in size are 2^-52 apart.
  assert.deepEqual(lines[1].split('\t'), ['1', '-1.8', '-1.8', '-0x1.ccccccccccccdp+0', '+900719925474099', '-2', '10',
    '-0.2', '-0.2', '9.0e+14']);
});
