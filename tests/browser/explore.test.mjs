// Exploring by hand: the fields, the λ slider by keys, the start point's
// handle dragged, a lesson's step and the values to try, the map pointed at, clicked, zoomed and
// tapped on a phone, and a dialogue typed by hand moving the controls. Each
// screen expected is the program's own for the dialogue typed: the committed
// module run under Node on the same input.
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import {
  opener, screenText, state, waitFor, saveScreen, typeKeys, engine, noPhone, cellPoint, field, readAs, mapCell, mapDone,
} from './page.mjs';
import { screenOf, program } from '../module/program.mjs';

const openPage = opener(after, { waiting: true });


// The screen of this dialogue typed into the program: its output with the
// echo of each line the program read, up to a read that failed, after which
// the program reads nothing more.
function transcript(output, texts) {
  const { failed } = program.read(`n\n${texts.join('\n')}\n`);
  const echoed = failed ? ['start', 'lambda', 'limit'].indexOf(failed) + 1 : 3;
  let screen = output.replace('n to input values\n', 'n to input values\nn\n');
  ['enter startpoint (double): ', 'enter lambda (double): ', 'enter maxRuns int: '].forEach((prompt, k) => {
    if (k < echoed) screen = screen.replace(prompt, `${prompt}${texts[k]}\n`);
  });
  return screen;
}

// Waits for the run of this dialogue to have written all it will before its
// final wait; its screen and its saved output are the program's.
async function ranDialogue(page, texts) {
  const dialogue = `n\n${texts.join('\n')}\n`;
  const output = await screenOf(dialogue);
  const expected = transcript(output, texts);
  await page.waitForFunction((screen) => document.getElementById('screen').textContent === screen, expected,
    { timeout: 10000 }).catch(async () => assert.equal(await screenText(page), expected, dialogue));
  await waitFor(page, /waiting for input|exit status 0/);
  assert.equal((await saveScreen(page)).toString('latin1'), output, dialogue);
}

// Types into a field, then presses Enter, or leaves the field for another.
async function typeInto(page, name, text, then = 'Enter') {
  await field(page, name).fill(text);
  if (then === 'Enter') await field(page, name).press('Enter');
  else await field(page, then).click();
}

test('the fields send what is typed, with Enter or on leaving', async () => {
  const page = await openPage();
  await typeInto(page, 'start point', '-2');
  await ranDialogue(page, ['-2', '0.5', '500']);
  assert.equal(await readAs(page).textContent(), 'The program read start -2, λ 0.5, limit 500.');
  await typeInto(page, 'λ', '1', 'limit');
  await ranDialogue(page, ['-2', '1', '500']);
  await typeInto(page, 'limit', '3');
  await ranDialogue(page, ['-2', '1', '3']);
  assert.equal(await page.getByRole('slider', { name: 'λ' }).inputValue(), '1');
  // Sent as typed, and what the program made of it said plainly.
  await typeInto(page, 'start point', '0x1p-1');
  await ranDialogue(page, ['0x1p-1', '1', '3']);
  assert.equal(await readAs(page).textContent(), 'The program read start 0.5, λ 1, limit 3.');
  await typeInto(page, 'start point', 'abc');
  await ranDialogue(page, ['abc', '1', '3']);
  assert.equal(await readAs(page).textContent(),
    "The program's read of the start point failed: it stored 0 and read nothing more, so it runs with start 0, λ 0.5, limit 500.");
  assert.equal(await mapCell(page).textContent(),
    'marked: the run of start 0, λ 0.5, after the read of the start point failed');
  await typeInto(page, 'start point', '-2');
  await typeInto(page, 'limit', '99999999999');
  await page.locator('#map-progress').filter({ hasText: 'each at most 5,000 runs' }).waitFor();
  assert.match(await readAs(page).textContent(), /^The program's read of the limit failed: it stored 2147483647 /);
});

test('the λ slider by keys', async () => {
  const page = await openPage();
  const slider = page.getByRole('slider', { name: 'λ' });
  await slider.press('ArrowRight');
  await ranDialogue(page, ['0', '0.51', '500']);
  assert.equal(await slider.getAttribute('aria-valuetext'), 'λ 0.51');
  await slider.press('End');
  await ranDialogue(page, ['0', '2', '500']);
  await slider.press('Home');
  // λ 0: the first run does not move the start.
  await ranDialogue(page, ['0', '0', '500']);
  assert.ok((await screenText(page)).endsWith('\nDone after: 1 runs\n'));
  assert.equal(await field(page, 'λ').inputValue(), '0');
});

test('the start point dragged along the picture, and by keys', async () => {
  const page = await openPage();
  const handle = page.getByRole('slider', { name: 'start point' });
  const box = await handle.boundingBox();
  const [x, y] = [box.x + box.width / 2, box.y + box.height / 2];
  await page.mouse.move(x, y);
  await page.mouse.down();
  for (let dx = 10; dx <= 120; dx += 10) await page.mouse.move(x - dx, y);
  // While it is dragged, the picture keeps its x range under the pointer.
  const after = await handle.boundingBox();
  assert.ok(Math.abs(after.x + after.width / 2 - (x - 120)) < 1.5,
    `the handle follows the pointer: ${after.x + after.width / 2}, not ${x - 120}`);
  await page.mouse.up();
  const start = await field(page, 'start point').inputValue();
  assert.match(start, /^-\d\.\d{1,3}$/, 'a short decimal the view can resolve');
  await ranDialogue(page, [start, '0.5', '500']);
  assert.equal(await handle.getAttribute('aria-valuetext'), `start point ${start}`);
  assert.equal(await page.locator('.run.latest').count(), 1, 'the run is drawn');

  await handle.focus();
  await page.keyboard.press('PageUp');
  const moved = await field(page, 'start point').inputValue();
  assert.ok(Number(moved) > Number(start), `${moved} is right of ${start}`);
  await ranDialogue(page, [moved, '0.5', '500']);
});

test("the lesson's steps and the values to try, by name", async () => {
  const page = await openPage();
  const tries = page.getByRole('group', { name: 'Values to try' });
  await page.getByRole('navigation', { name: 'Steps of the lesson' }).getByRole('link', { name: 'overshooting' }).click();
  await ranDialogue(page, ['-2', '1.5', '500']);
  assert.ok((await screenText(page)).endsWith('Done after: 51 runs\n'));
  await tries.getByRole('button', { name: 'the start where f′ is 0' }).click();
  await ranDialogue(page, ['0.816496580927726', '0.5', '500']);
  assert.match(await screenText(page), /\n\n-inf\n(-?nan\n){499}$/);
});

test('the map: pointed at, clicked, moved over by keys, zoomed and back', async () => {
  const page = await openPage();
  await mapDone(page);
  assert.equal(await page.locator('#map-progress').textContent(), '25,359 of 25,359 cells');
  // Start -3 is column 40 of the whole map, λ 0.25 row 8, λ 1 row 38.
  const map = page.getByRole('application', { name: 'Map' });
  const three = await cellPoint(page, 40, 8);
  await map.hover({ position: three });
  assert.equal(await mapCell(page).textContent(), 'start -3, λ 0.25: Done after: 129 runs');
  await map.click({ position: three });
  await ranDialogue(page, ['-3', '0.25', '500']);
  assert.ok((await screenText(page)).endsWith('Done after: 129 runs\n'));

  const cycle = await cellPoint(page, 160, 38);
  await map.hover({ position: cycle });
  assert.equal(await mapCell(page).textContent(), 'start 0, λ 1: no Done line, going round doubles far apart');
  await map.click({ position: cycle });
  await ranDialogue(page, ['0', '1', '500']);

  // By keys: from the mark (start 0, λ 1) one cell left and one up, then Enter.
  await map.focus();
  await page.keyboard.press('ArrowLeft');
  await page.keyboard.press('ArrowUp');
  assert.match(await mapCell(page).textContent(), /^start -0\.025, λ 1\.025: Done after: \d+ runs$/);
  await page.keyboard.press('Enter');
  await ranDialogue(page, ['-0.025', '1.025', '500']);

  // A rectangle dragged from start -3.5, λ 0.2 to start -2.5, λ 0.4.
  await map.scrollIntoViewIfNeeded();
  const box = await map.boundingBox();
  const onPage = ({ x, y }) => ({ x: box.x + x, y: box.y + y });
  const from = onPage(await cellPoint(page, 20, 6));
  const to = onPage(await cellPoint(page, 60, 14));
  await page.mouse.move(from.x, from.y);
  await page.mouse.down();
  await page.mouse.move((from.x + to.x) / 2, (from.y + to.y) / 2);
  await page.mouse.move(to.x, to.y);
  await page.mouse.up();
  await mapDone(page);
  const [, cells] = /^([\d,]+) of/.exec(await page.locator('#map-progress').textContent());
  assert.notEqual(cells, '25,359');
  const zoomed = await cellPoint(page, 1, 1);
  await map.hover({ position: zoomed });
  const [, start, lambda] = /^start (\S+), λ (\S+): /.exec(await mapCell(page).textContent());
  assert.match(start, /^-3\.\d{3,4}$/, 'finer texts');
  assert.match(lambda, /^0\.2\d{1,3}$/);
  await map.click({ position: zoomed });
  await ranDialogue(page, [start, lambda, '500']);
  await page.getByRole('button', { name: 'Whole map' }).click();
  await mapDone(page);
  assert.equal(await page.locator('#map-progress').textContent(), '25,359 of 25,359 cells');

  // The wheel zooms about the pointer: the cell under it stays under it, and
  // the corner moves in.
  await map.hover({ position: three });
  await page.mouse.wheel(0, -300);
  await page.locator('#map-progress').filter({ hasNotText: /^25,359 of 25,359/ }).waitFor();
  await mapDone(page);
  const [, near, nearLambda] = /^start (\S+), λ (\S+): /.exec(await mapCell(page).textContent());
  assert.ok(Math.abs(near - -3) <= 0.02 && Math.abs(nearLambda - 0.25) <= 0.02, `${near}, ${nearLambda}`);
  await map.hover({ position: await cellPoint(page, 0, 0) });
  assert.doesNotMatch(await mapCell(page).textContent(), /^start -4, λ 0\.05: /);
});

test("a dialogue typed by hand moves the controls", async () => {
  const page = await openPage();
  await page.getByRole('log', { name: 'Screen' }).click();
  await typeKeys(page, 'n\n-2\n1\n10\n');
  await waitFor(page, 'waiting for input');
  assert.deepEqual(await Promise.all(['start point', 'λ', 'limit'].map((name) => field(page, name).inputValue())),
    ['-2', '1', '10']);
  assert.equal(await page.getByRole('slider', { name: 'λ' }).inputValue(), '1');
  assert.equal(await readAs(page).textContent(), 'The program read start -2, λ 1, limit 10.');
  assert.equal(await state(page), 'waiting for input');
});

// Where the engine's driver cannot touch, the map is clicked.
test("a phone's width: the map tapped", { skip: noPhone }, async () => {
  const page = await openPage({ width: 390, height: 844, touch: true });
  await mapDone(page);
  const map = page.getByRole('application', { name: 'Map' });
  await map.scrollIntoViewIfNeeded();
  const box = await map.boundingBox();
  assert.ok(box.x >= 0 && box.x + box.width <= 390, 'the map fits the width');
  const three = await cellPoint(page, 40, 8);
  await (engine.touch ? map.tap({ position: three }) : map.click({ position: three }));
  await ranDialogue(page, ['-3', '0.25', '500']);
  assert.ok((await screenText(page)).endsWith('Done after: 129 runs\n'));
});
