// The page by keyboard and screen reader: axe finds nothing against WCAG 2.1
// A and AA while the page waits, runs and has finished, with the map, the
// controls and the table of runs in use; Tab visits every control in order
// with its focus in sight; one whole exploration is done by keys alone; and at
// a phone's 320 px or at 200 % zoom nothing needs sideways scrolling but the
// table of runs, which scrolls in its own box.
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import { opener, screen, screenText, waitFor, typeKeys, stop, noPhone, audit } from './page.mjs';
import { screenOf } from '../module/program.mjs';

const openPage = opener(after, { waiting: true });

test('axe finds no violation waiting, running, finished, and exploring', async () => {
  const page = await openPage();
  assert.deepEqual(await audit(page), [], 'waiting');
  await screen(page).click();
  await typeKeys(page, 'n\n1e200\n0.5\n2147483647\n');
  assert.deepEqual(await audit(page), [], 'running');
  await stop(page);
  await page.getByRole('button', { name: 'Run again' }).click();
  await waitFor(page, 'waiting for input');
  await typeKeys(page, 'y\n0\n');
  await waitFor(page, 'exit status 0');
  await page.locator('#map-progress').filter({ hasText: /^25,359 of 25,359 cells$/ }).waitFor();
  assert.deepEqual(await audit(page), [], 'finished, with the map drawn');
  await page.getByRole('link', { name: 'overshooting' }).click();
  await page.getByRole('application', { name: 'Map' }).focus();
  await page.keyboard.press('ArrowRight');
  await page.getByRole('slider', { name: 'start point' }).focus();
  assert.deepEqual(await audit(page), [], 'exploring');
  await page.getByRole('region', { name: 'Table of runs' }).focus();
  await page.keyboard.press('ArrowUp');
  assert.deepEqual(await audit(page), [], 'a run chosen in the table');
  await page.getByRole('radio', { name: 'cube and square as products' }).check();
  await page.getByRole('combobox', { name: 'Map shows' }).selectOption({ label: 'where single precision changes it' });
  assert.deepEqual(await audit(page), [], 'another rounding drawn, and the map of where one changes the count');
});

// The focused element as a person would find it named, and whether its
// focus can be seen: an outline, or the console's cursor filled in.
const focused = (page) => page.evaluate(() => {
  const element = document.activeElement;
  const style = getComputedStyle(element);
  const label = element.getAttribute('aria-label') ?? element.labels?.[0]?.textContent.trim()
    ?? element.textContent.trim();
  const seen = (style.outlineStyle !== 'none' && parseFloat(style.outlineWidth) > 0)
    || (element.id === 'keys' && element.closest('.terminal').classList.contains('focused'));
  return { label, seen };
});

test('Tab visits the console, the run controls, the picture and its runs, the explore controls, the map, the table and the tolerance', async () => {
  const page = await openPage();
  await typeKeys(page, 'n\n-2\n1\n10\n');
  await waitFor(page, 'waiting for input');
  // The console has the focus from the start; its screen is just before.
  const order = [
    'Keyboard', 'Stop', 'Run again', 'Save screen', 'Copy link',
    'Picture of the run', 'start point', 'Previous run', 'Next run', 'Follow the run', 'Save picture', 'Save plot',
    'start point', 'λ', 'λ', 'limit',
    'the built-in run', 'overflow', 'the start where f′ is 0',
    'Map', 'Map shows', 'Whole map', 'Save map', 'Roundings side by side', 'none', 'Table of runs', 'Copy table', 'tol',
  ];
  const labels = [];
  for (const [tab] of order.entries()) {
    if (tab) await page.keyboard.press('Tab');
    const { label, seen } = await focused(page);
    assert.ok(seen, `the focus on ${label} can be seen`);
    labels.push(label);
  }
  assert.deepEqual(labels, order);
  await page.getByRole('textbox', { name: 'Keyboard' }).focus();
  await page.keyboard.press('Shift+Tab');
  assert.deepEqual(await focused(page), { label: 'Screen', seen: true });
});

// The run ends as the program's own run of this dialogue does.
async function ends(page, dialogue) {
  const output = await screenOf(dialogue);
  const last = output.slice(output.lastIndexOf('\n', output.length - 2) + 1);
  await waitFor(page, /waiting for input|exit status 0/);
  assert.ok((await screenText(page)).endsWith(last), `${dialogue} ends ${last}`);
}

test('one exploration by keys alone: the start point, λ, a value to try and a map cell', async () => {
  const page = await openPage();
  const tabTo = async (label) => {
    for (let tab = 0; tab < 30 && (await focused(page)).label !== label; tab++) await page.keyboard.press('Tab');
    assert.equal((await focused(page)).label, label);
  };
  const readAs = (wanted) => page.locator('#read-as').filter({ hasText: wanted }).waitFor();

  await tabTo('start point');
  await page.keyboard.press('End');
  const start = await page.getByRole('textbox', { name: 'start point' }).inputValue();
  assert.notEqual(start, '0');
  await readAs(`start ${start}, λ 0.5, limit 500`);

  await tabTo('λ');
  await page.keyboard.press('Tab');
  assert.equal((await page.getByRole('slider', { name: 'λ' }).getAttribute('aria-valuetext')), 'λ 0.5');
  await page.keyboard.press('PageUp');
  await page.keyboard.press('ArrowRight');
  // WebKit's driver may return before the page has taken the keys: two
  // frames later it has.
  await page.evaluate(() => new Promise((taken) => requestAnimationFrame(() => requestAnimationFrame(taken))));
  // How far Page Up goes is the engine's own: the slider says.
  const lambda = await page.getByRole('slider', { name: 'λ' }).inputValue();
  console.log(`λ after Page Up and →: ${lambda}`);
  assert.ok(Number(lambda) > 0.51, `λ ${lambda}`);
  assert.equal((await page.getByRole('slider', { name: 'λ' }).getAttribute('aria-valuetext')), `λ ${lambda}`);
  await readAs(`start ${start}, λ ${lambda}, limit 500`);
  await ends(page, `n\n${start}\n${lambda}\n500\n`);

  await tabTo('overflow');
  await page.keyboard.press('Enter');
  await readAs('start 1e+200, λ 0.5, limit 500');

  await tabTo('Map');
  await page.locator('#map-progress').filter({ hasText: /^([\d,]+) of \1 cells$/ }).waitFor();
  await page.keyboard.press('ArrowUp');
  const cell = await page.locator('#map-cell').textContent();
  const [, cellStart, cellLambda] = /^start (\S+), λ (\S+):/.exec(cell);
  await page.keyboard.press('Enter');
  await readAs(`start ${cellStart}, λ ${cellLambda}, limit 500`);
  await ends(page, `n\n${cellStart}\n${cellLambda}\n500\n`);
});

for (const [width, why] of [[320, "a phone's width"], [640, '200 % zoom of a 1280 px window']]) {
  test(`at ${why}, nothing needs sideways scrolling`, { skip: width < 447 && noPhone }, async () => {
    const page = await openPage({ width, height: 800 });
    await typeKeys(page, 'y\n');
    await waitFor(page, 'waiting for input');
    await page.locator('#map-progress').filter({ hasText: /^25,359 of 25,359 cells$/ }).waitFor();
    const [scrollWidth, clientWidth] = await page.evaluate(() => [
      document.documentElement.scrollWidth, document.documentElement.clientWidth]);
    const wide = await page.evaluate(() => [...document.querySelectorAll('body *')]
      .filter((element) => !element.closest('#bits-frame > *, .roundings-frame > *'))
      .filter((element) => element.getBoundingClientRect().right > document.documentElement.clientWidth + 0.5)
      .map((element) => element.id || element.className || element.tagName));
    assert.deepEqual(wide, [], `everything within ${width} px`);
    const table = await page.getByRole('region', { name: 'Table of runs' }).evaluate((frame) => [
      frame.scrollWidth, frame.clientWidth, frame.getBoundingClientRect().right]);
    assert.ok(table[0] > table[1] && table[2] <= width, `the table scrolls in its own box: ${table}`);
    assert.ok(scrollWidth <= clientWidth, `${scrollWidth} px wide in ${clientWidth}`);
  });
}
