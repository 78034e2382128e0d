// The page as one file, opened from the disk with no server: a dialogue typed
// key by key, a link's dialogue replayed with its runs to the last bit, the
// map complete, computed by workers made from the file's own text, and not
// one request but for the file itself and what it made.
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import {
  open, root, screen, screenText, state, waitFor, typeKeys, readmeTranscripts, expand, typedIn, replayAddress, engine,
  cellPoint,
} from './page.mjs';

const browser = await open();
const { page } = browser;
const file = pathToFileURL(join(root, 'damped-newton.html')).href;
// Every request, seen by the driver, or where it cannot see them, by the page.
const requests = [];
if (engine.requests) page.on('request', (request) => requests.push(request.url()));
const fetched = async () => (engine.requests ? requests
  : page.evaluate(() => performance.getEntriesByType('resource').map((entry) => entry.name)));
after(async () => {
  assert.deepEqual(browser.errors, [], 'no page error is logged');
  await browser.close();
});

test("opened from the disk, it runs the README's dialogues", async () => {
  const [builtIn, typed] = await readmeTranscripts();
  await page.goto(file);
  await waitFor(page, 'waiting for input');
  await screen(page).click();
  await typeKeys(page, typedIn(typed));
  await waitFor(page, 'exit status 0');
  const shown = await screenText(page);
  assert.equal(shown, expand(typed, shown));

  await page.goto(replayAddress(file, typedIn(builtIn)));
  await waitFor(page, 'exit status 0');
  const replayed = await screenText(page);
  assert.equal(replayed, expand(builtIn, replayed));
  assert.match(await page.locator('#ending').textContent(), /^run 63 left the iterate unchanged: Done after: 63 runs\. /);
  assert.equal(await page.getByRole('table', { name: 'to the last bit' }).locator('tr[aria-current="true"] td')
    .filter({ hasText: /^-?0x/ }).textContent(), '-0x1.c4f057fe848c7p+0');
  await page.locator('#map-progress').filter({ hasText: /^25,359 of 25,359 cells$/ }).waitFor();
  // Its workers are made from its own text, which no second file holds;
  // they start once the first screen is up, perhaps after the first map.
  await page.locator('#map[data-workers]:not([data-workers="0"])').waitFor();
  assert.ok(Number(await page.getByRole('application', { name: 'Map' }).getAttribute('data-workers')) >= 1,
    'workers compute the map');
  await page.getByRole('application', { name: 'Map' }).hover({ position: await cellPoint(page, 40, 8) });
  await page.locator('#map-cell').filter({ hasText: 'start -3, λ 0.25: Done after: 129 runs' }).waitFor();
  assert.equal(await state(page), 'exit status 0');
  assert.deepEqual((await fetched()).filter((url) => !url.startsWith(file) && !url.startsWith('blob:')), [],
    'nothing but the file is fetched');
});
