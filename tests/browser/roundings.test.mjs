// The same dialogue under other roundings, as a learner compares them: the
// panel for the built-in run, one rounding chosen and its run read back from
// the picture and the table, and the map of where it changes the outcome,
// pointed at and moved over by keys. The expected outcomes are the native
// builds' (module/roundings-native and module/roundings-builds hold the
// module to them cell for cell); the iterates where the runs part are worked
// out apart from the program by tests/last-bits-witness.py. The two cells:
//   printf 'n -0.025 0.175 500\n' | GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-FMA build/damped-newton
//   printf 'n -0.025 0.175 500\n' | LD_PRELOAD=libwhole-powers-multiplied.so build/damped-newton
// (from tests/whole-powers-multiplied.c) end 0.847844 and Done after: 366
// runs; from start -0.025 with λ 0.5 both are done after 85 runs.
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import { opener, waitFor, replayAddress, cellPoint } from './page.mjs';

const openBrowser = opener(after);
const PRODUCTS = 'cube and square as products';

async function builtIn() {
  const { page, url } = await openBrowser();
  await page.goto(replayAddress(url, 'y\n'));
  await waitFor(page, /waiting for input|exit status/);
  return page;
}

// The panel's rows as they read: the step, its outcome, where its bits part.
const panel = (page) => page.getByRole('region', { name: 'Roundings side by side' }).evaluate((frame) =>
  Object.fromEntries([...frame.querySelector('tbody').rows].map((row) => {
    const [label, , outcome, parts] = [...row.cells].map((cell) => cell.textContent);
    return [label, { outcome, parts }];
  })));

test('the built-in run under every rounding, and the products drawn beside it, parting at run 7', async () => {
  const page = await builtIn();
  const rows = await panel(page);
  assert.deepEqual(Object.fromEntries(Object.entries(rows).map(([label, { outcome }]) => [label, outcome])), {
    'the program': 'Done after: 63 runs',
    [PRODUCTS]: 'Done after: 64 runs',
    'fused multiply-add': 'Done after: 63 runs',
    'damping on the numerator': 'Done after: 63 runs',
    "Horner's form": 'Done after: 64 runs',
    'single precision': 'Done after: 34 runs',
  });
  assert.equal(rows[PRODUCTS].parts,
    "the same doubles up to run 6; run 7: 0x1.fb141c93ee94ep-1 for the program's 0x1.fb141c93ee94fp-1");

  // Chosen: run 7, where they part, is chosen in the picture and the table.
  await page.getByRole('radio', { name: PRODUCTS }).check();
  await page.locator('#notes').filter({ hasText: `run 7 with ${PRODUCTS} dashed` }).waitFor();
  const drawn = await page.locator('#picture').evaluate((svg) =>
    [...svg.querySelectorAll('.other-run')].map((run) => run.dataset.run));
  assert.deepEqual(drawn, ['7']);
  // Six digits cannot tell the two apart: the caption gives the digits that
  // can, as Python's repr gives those doubles.
  assert.match(await page.locator('figcaption').textContent(), new RegExp('lands on 0\\.990388 \\(0\\.9903878145771986\\); '
    + `with ${PRODUCTS} it lands on 0\\.9903878145771985$`));
  const row7 = await page.getByRole('table', { name: 'to the last bit' }).evaluate((table) => {
    const headers = [...table.tHead.rows[0].cells].map((cell) => cell.textContent);
    const row = [...table.tBodies[0].rows].find((r) => r.cells[0].textContent === '7');
    const seen = (cell) => {
      const copy = cell.cloneNode(true);
      for (const hidden of copy.querySelectorAll('.visually-hidden')) hidden.remove();
      return copy.textContent;
    };
    return { program: seen(row.cells[headers.indexOf('iterate, %a')]), other: seen(row.cells.item(headers.length - 1)),
      header: headers.at(-1), marked: row.cells.item(headers.length - 1).querySelector('mark')?.textContent };
  });
  assert.deepEqual(row7, { program: '0x1.fb141c93ee94fp-1', other: '0x1.fb141c93ee94ep-1',
    header: `with ${PRODUCTS}: iterate, %a`, marked: 'e' });

  // Followed again: all its runs dashed, one more than the program's.
  await page.getByRole('button', { name: 'Follow the run' }).click();
  await page.locator('#notes').filter({ hasText: `runs 1 to 63 with ${PRODUCTS} dashed` }).waitFor();
  await page.getByRole('radio', { name: 'none' }).check();
  await page.locator('#rounding-about').filter({ hasText: "Only the program's run is drawn." }).waitFor();
  assert.equal(await page.locator('#picture .other-run').count(), 0);
});

test('the map of where the products change the outcome: its count, a cell pointed at and one moved to', async () => {
  const page = await builtIn();
  await page.getByRole('combobox', { name: 'Map shows' }).selectOption({ label: `where ${PRODUCTS} changes it` });
  await page.locator('#map-progress').filter({ hasText: '9,540 of 25,359 cells differ' }).waitFor({ timeout: 120000 });
  // Start -0.025 is column 159 of the whole map, λ 0.175 row 5 and λ 0.5 row 18.
  const map = page.getByRole('application', { name: 'Map' });
  await map.hover({ position: await cellPoint(page, 159, 5) });
  assert.equal(await page.locator('#map-cell').textContent(), 'start -0.025, λ 0.175: the program: no Done line, '
    + `iterates finite; with ${PRODUCTS}: Done after: 366 runs (Done line gained)`);
  await page.mouse.move(0, 0);
  // By keys, from the mark of the built-in run one cell left.
  await map.focus();
  await page.keyboard.press('ArrowLeft');
  await page.locator('#map-cell').filter({ hasText: 'start -0.025, λ 0.5: the program: Done after: 85 runs; '
    + `with ${PRODUCTS}: Done after: 85 runs (the same)` }).waitFor();
});
