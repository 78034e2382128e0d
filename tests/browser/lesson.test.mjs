// The lesson as a learner and a teacher use it: a step opened by its link, in
// the served page and in the one file; Next, Previous and the arrow keys; a
// step's link in the list; the view it points at; Copy link keeping the step,
// the rounding drawn and the map's view; axe at a phone's width and a
// desktop's. Each step's sentences are the ones the program's own module
// gives under Node for the same dialogue (tests/module/lesson.test.mjs).
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import {
  opener, root, screenText, waitFor, allowClipboard, keepCopies, copyLink, noPhone, mapDone, cellPoint, engineName,
  audit,
} from './page.mjs';
import { program, screenOf, session } from '../module/program.mjs';
import { Lesson, STEPS, dialogueOf } from '../../web/runs/lesson.mjs';

const openBrowser = opener(after);

// What step `index` says once its runs end, as the program's module says it.
async function says(index) {
  const lesson = new Lesson();
  lesson.go(index);
  return lesson.says(await session(dialogueOf(lesson.step), 4096), program).join('\n');
}

const heading = (page) => page.locator('#lesson-step-name');
const shown = (page) => page.locator('#lesson-says').evaluate((element) =>
  [...element.querySelectorAll('p')].map((p) => p.textContent).join('\n'));

// Waits for step `index` to be on show with its sentences, and checks them,
// the screen and the view pointed at.
async function onStep(page, index) {
  const step = STEPS[index];
  await heading(page).filter({ hasText: `Step ${index + 1} of ${STEPS.length}: ${step.name}` }).waitFor();
  const expected = await says(index);
  await page.waitForFunction((text) => [...document.querySelectorAll('#lesson-says p')]
    .map((p) => p.textContent).join('\n') === text, expected, { timeout: 15000 })
    .catch(async () => assert.equal(await shown(page), expected, step.name));
  await waitFor(page, 'waiting for input');
  const output = await screenOf(dialogueOf(step));
  assert.ok((await screenText(page)).endsWith(output.slice(output.indexOf('\n', output.indexOf('maxRuns')) + 1)),
    `${step.name}: the screen ends as the program's does`);
  assert.deepEqual(await page.locator('.pointed').evaluateAll((views) => views.map((view) => view.id)), [step.view]);
  assert.equal(await page.getByRole('link', { name: step.name, exact: true }).getAttribute('aria-current'), 'step');
}

test('a step by its link, then Next, Previous, the arrow keys and the list of steps', async () => {
  const { page, url } = await openBrowser();
  await page.goto(`${url}?step=5`);
  await onStep(page, 4);
  await page.getByRole('button', { name: 'Next step' }).click();
  await onStep(page, 5);
  assert.match(await page.locator('#tolerance-says').textContent(), /^A tolerance of 1\.48e-08\. From 0 with λ 0\.5 it stops at run 37/);
  await page.getByRole('button', { name: 'Previous step' }).click();
  await onStep(page, 4);
  // The arrow keys, on the lesson's buttons.
  await page.getByRole('button', { name: 'Next step' }).focus();
  await page.keyboard.press('ArrowRight');
  await onStep(page, 5);
  await page.keyboard.press('ArrowRight');
  await onStep(page, 6);
  assert.ok(await page.getByRole('button', { name: 'Next step' }).isDisabled(), 'no step after the last');
  await page.getByRole('navigation', { name: 'Steps of the lesson' }).getByRole('link', { name: 'the exact stop' }).click();
  await onStep(page, 0);
  assert.ok(await page.getByRole('button', { name: 'Previous step' }).isDisabled(), 'no step before the first');
  // The step points at the table: the link takes the focus there.
  await page.getByRole('link', { name: 'Look at the table of runs' }).click();
  assert.equal(await page.evaluate(() => document.activeElement.id), 'bits-frame');
  // A dialogue typed by hand is not the step's: the lesson says so.
  await page.getByRole('textbox', { name: 'λ' }).fill('0.25');
  await page.getByRole('textbox', { name: 'λ' }).press('Enter');
  await page.locator('#lesson-says').filter({ hasText: 'The session on screen is not this step\'s.' }).waitFor();
});

test('Copy link keeps the step, the rounding drawn and the map\'s view; the link opens them again', async () => {
  const { page, url } = await openBrowser();
  await allowClipboard(page);
  await keepCopies(page);
  await page.goto(`${url}?step=3`);
  await onStep(page, 2);
  // The plot draws the pace beside the runs, at the rate the program gives.
  assert.equal(await page.locator('#moves line.pace').count(), 1);
  assert.match(await page.locator('#moves-caption').textContent(), /; dashed, the pace near the root: each run leaves \|1 − λ\| = 0\.75 of the error$/);
  await page.getByRole('radio', { name: 'cube and square as products' }).check();
  await mapDone(page);
  // A rectangle dragged on the map zooms it.
  const map = page.getByRole('application', { name: 'Map' });
  await map.scrollIntoViewIfNeeded();
  const box = await map.boundingBox();
  const from = await cellPoint(page, 100, 20);
  const to = await cellPoint(page, 200, 60);
  await page.mouse.move(box.x + from.x, box.y + from.y);
  await page.mouse.down();
  await page.mouse.move(box.x + (from.x + to.x) / 2, box.y + (from.y + to.y) / 2);
  await page.mouse.move(box.x + to.x, box.y + to.y);
  await page.mouse.up();
  await page.locator('#map-progress').filter({ hasText: /^(?!25,359 )([\d,]+) of \1 cells$/ }).waitFor();
  const link = new URL(await copyLink(page));
  assert.equal(link.searchParams.get('step'), '3');
  assert.equal(link.searchParams.get('rounding'), '1');
  assert.match(link.searchParams.get('map'), /^-?\d+_\d+_\d+_\d+\.\d+_\d+_\d+_\d+$/);
  assert.equal(link.searchParams.get('input'), null, 'the step stands for its dialogue');
  const cellWords = async () => {
    await page.getByRole('application', { name: 'Map' }).hover({ position: await cellPoint(page, 3, 3) });
    return page.locator('#map-cell').textContent();
  };
  const before = await cellWords();

  await page.goto(link.href);
  await onStep(page, 2);
  assert.ok(await page.getByRole('radio', { name: 'cube and square as products' }).isChecked());
  await page.locator('#rounding-about').filter({ hasText: 'cube and square as products is drawn' }).waitFor();
  await mapDone(page);
  assert.equal(await cellWords(), before, 'the same cell under the pointer: the same view of the map');
});

test('the one file opens a step by its link, with no server', async () => {
  const { page } = await openBrowser();
  await page.goto(`${pathToFileURL(join(root, 'damped-newton.html')).href}?step=2`);
  await onStep(page, 1);
});

test('axe finds nothing on the lesson, at a phone\'s width and a desktop\'s', async (t) => {
  for (const width of [320, 1280]) {
    if (width === 320 && noPhone) {
      t.diagnostic(noPhone);
      continue;
    }
    const { page, url } = await openBrowser({ width, height: 800 });
    await page.goto(`${url}?step=1`);
    await onStep(page, 0);
    assert.deepEqual(await audit(page), [], `${width} px`);
    if (process.env.SCREENSHOTS) {
      await page.screenshot({ path: join(process.env.SCREENSHOTS, `lesson-${engineName}-${width}.png`) });
    }
    // Nothing at this width scrolls sideways but the boxes that scroll.
    assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= innerWidth), `${width} px: no sideways scroll`);
  }
});
