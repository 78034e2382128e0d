// What a long link, a huge paste or a far start point does to the page: it
// keeps answering, never draws NaN or Infinity, captions each run with the
// exact iterates, keeps a chosen run, counts what a saved screen lacks, and
// will not hand out a link that cannot open.
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import {
  open, screenText, state, waitFor, saveScreen, paste, replayAddress, engine, allowClipboard, stop,
} from './page.mjs';

const browser = await open();
const { page, url } = browser;
after(async () => {
  assert.deepEqual(browser.errors, [], 'no page error is logged');
  await browser.close();
});

const picture = () => page.getByRole('img', { name: 'Picture' });
const caption = () => page.locator('figcaption');
const notes = () => page.locator('.notes');

// The longest gap between two frames, measured in the page from now on.
const watchFrames = () => page.evaluate(() => {
  window.frames = { gap: 0 };
  let last = performance.now();
  const frame = (now) => {
    window.frames.gap = Math.max(window.frames.gap, now - last);
    last = now;
    if (!window.frames.stop) requestAnimationFrame(frame);
  };
  requestAnimationFrame(frame);
});

test('a link with 10,000 blank lines replays at the pace the program reads', async () => {
  const typed = `n${'\n'.repeat(10001)}-2\n1\n10\n0\n`;
  await page.goto(url);
  const started = Date.now();
  await page.goto(replayAddress(url, typed));
  await watchFrames();
  await waitFor(page, 'exit status 0');
  const { gap } = await page.evaluate(() => window.frames);
  console.log(`replayed in ${Date.now() - started} ms, frames at most ${gap.toFixed(0)} ms apart`);
  // Figures for the benchmark; here only that the tab never froze.
  assert.ok(gap < 1000, `the page went ${gap.toFixed(0)} ms without a frame`);
  const shown = await screenText(page);
  assert.ok(shown.endsWith('\n-1.8\n-1.76995\n-1.76929\n-1.76929\n-1.76929\nDone after: 6 runs\n0\n'), shown.slice(-200));
});

test('Stop answers while a link of 300,000 lines replays, pressed at once or later', async () => {
  // Long enough, in every engine, for Stop to land while it replays, and
  // followed by a run that never settles, for a driver slower than a person.
  const address = replayAddress(url, `n${'\n'.repeat(300000)}-2\n1.7\n2147483647\n`);
  const blocks = (count) => page.waitForFunction((wanted) => document.querySelectorAll('#screen .block').length > wanted, count);
  for (const [when, wait] of [['at once', () => {}], ['after 20,000 lines', () => blocks(20)]]) {
    await page.goto(address);
    await page.getByRole('status').filter({ hasText: 'running' }).waitFor();
    await wait();
    const stopTime = await stop(page);
    assert.ok(stopTime < 1000, `${when}: stopped in ${stopTime.toFixed(0)} ms`);
    const shown = await screenText(page);
    console.log(`${when}: stopped in ${stopTime.toFixed(0)} ms, ${shown.includes('enter lambda') ? 'after' : 'during'} the replay`);
    await page.waitForTimeout(300);
    assert.equal(await screenText(page), shown, `${when}: nothing is written after Stop`);
  }
});

test('keys typed while a link replays stay the person\'s, and never join the link\'s lines', async () => {
  await page.goto(replayAddress(url, `n${'\n'.repeat(300000)}-2\n1\n10\n0\n`));
  await page.getByRole('status').filter({ hasText: 'running' }).waitFor();
  await page.getByRole('textbox', { name: 'Keyboard' }).focus();
  await page.keyboard.type('7');
  await waitFor(page, 'exit status 0');
  assert.equal(await page.locator('#read-as').textContent(), 'The program read start -2, λ 1, limit 10.');
  const shown = await screenText(page);
  assert.ok(shown.endsWith('-1.76929\nDone after: 6 runs\n0\n7'), shown.slice(-80));
});

test('iterates too far out for a view are not drawn, and the notes say so', async () => {
  for (const [typed, said] of [
    // f overflows past about 5.64e102, and its cube before that.
    ['n\n-5.6e102\n1\n5\n0\n', 'runs 1 to 5: beyond ±1e+100, not drawn'],
    ['n\n0\n1e300\n5\n0\n', 'run 1: beyond ±1e+100, not drawn'],
  ]) {
    await page.goto(replayAddress(url, typed));
    await waitFor(page, 'exit status 0');
    const drawing = await picture().evaluate((svg) => svg.outerHTML);
    assert.doesNotMatch(drawing, /NaN|Infinity/, typed);
    assert.equal(await picture().locator('.run').count(), 0);
    assert.ok((await notes().textContent()).startsWith(said), await notes().textContent());
    assert.doesNotMatch(await notes().textContent(), /\d drawn/, 'no run is said to be drawn');
  }
});

test('undamped, every tangent meets the axis where the step lands', async () => {
  // Run 2 starts at 0.816497, where f' is nearly 0: its tangent meets the
  // axis near 8.2e14, which six printed digits cannot place.
  await page.goto(replayAddress(url, 'n\n1.3286884864538608\n1\n4\n0\n'));
  await waitFor(page, 'exit status 0');
  await page.getByRole('button', { name: 'Previous run' }).click();
  for (let run = 4; run >= 1; run--) {
    const [, number, meets, lands] = /^run (\d): from \S+, the tangent meets the axis at (\S+), and the damped step lands on (\S+)$/
      .exec(await caption().textContent());
    assert.equal(Number(number), run);
    assert.equal(meets, lands, `run ${run}`);
    if (run === 2) assert.equal(lands, '8.2086e+14');
    await page.getByRole('button', { name: 'Previous run' }).click();
  }
});

test('a run chosen during a fast run stays on the picture', async () => {
  await page.goto(replayAddress(url, 'n\n0\n1\n2147483647\n'));
  await page.waitForTimeout(1500);
  await page.getByRole('button', { name: 'Previous run' }).click();
  const chosen = await caption().textContent();
  assert.match(chosen, /^run \d+: from [01], the tangent meets the axis at [01], and the damped step lands on [01]$/);
  await page.waitForTimeout(1000);
  assert.equal(await state(page), 'running');
  assert.equal(await caption().textContent(), chosen);
  const run = /^run (\d+)/.exec(chosen)[1];
  assert.deepEqual(await picture().locator('.run').evaluateAll((runs) => runs.map((r) => r.dataset.run)), [run]);
  assert.match(await notes().textContent(), new RegExp(`^run ${run} is kept while you step; the runs before [\\d,]+ are no longer kept$`));
  await page.getByRole('button', { name: 'Stop' }).click();
});

test('Save screen says how many of the program’s lines the file lacks', async () => {
  await page.goto(url);
  await waitFor(page, 'waiting for input');
  // The echo of half a million typed-ahead lines pushes the question off.
  await paste(page, `n\n-2\n1\n10\n${'0\n'.repeat(500000)}`);
  await waitFor(page, 'exit status 0');
  const saved = (await saveScreen(page)).toString();
  assert.equal(saved, 'enter startpoint (double): \nenter lambda (double): \nenter maxRuns int: \n\n'
    + '-1.8\n-1.76995\n-1.76929\n-1.76929\n-1.76929\nDone after: 6 runs\n');
  assert.equal(await page.locator('#notice').textContent(),
    'Saved without the first 1 line the program wrote, which had left the screen.');
});

test('Copy link will not give a link too long to open', async () => {
  await allowClipboard(page);
  await page.goto(url);
  await waitFor(page, 'waiting for input');
  if (engine.clipboard) await page.evaluate(() => navigator.clipboard.writeText('before'));
  await paste(page, `n\n-2\n1\n10\n${'\n'.repeat(30000)}`);
  await page.getByRole('button', { name: 'Copy link' }).click();
  assert.match(await page.locator('#notice').textContent(),
    /^The link would be [\d,]+ characters long, more than the 64,000 a link can have to open everywhere; it was not copied\.$/);
  if (engine.clipboard) assert.equal(await page.evaluate(() => navigator.clipboard.readText()), 'before');
});
