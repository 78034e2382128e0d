// The picture of the run: it draws the printed iterates, steps run by run
// with their numbers, says what it cannot draw, and draws the same at a
// phone's width as on a desktop; and a link replays a dialogue.
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFile } from 'node:fs/promises';
import { join } from 'node:path';
import { tmpdir } from 'node:os';
import {
  opener, root, screen, screenText, state, waitFor, typeKeys,
  readmeTranscripts, expand, typedIn, replayAddress, engineName, allowClipboard, copyLink, noPhone,
} from './page.mjs';

const openPage = opener(after);

const f = (x) => x ** 3 - 2 * x + 2;
const iterateLines = (shown) => shown.split('\n').filter((line) => /^-?\d/.test(line));

// Each drawn run as the picture has it: its numbers, and where its points
// sit, in the picture's units, against where its view puts those numbers.
async function drawnRuns(page) {
  const { view, plot, runs } = await page.getByRole('img', { name: 'Picture' }).evaluate((svg) => ({
    view: svg.dataset.view.split(' ').map(Number),
    plot: svg.dataset.plot.split(' ').map(Number),
    runs: [...svg.querySelectorAll('.run')].map((run) => {
      const point = (name) => ['cx', 'cy'].map((axis) => run.querySelector(name)[axis].baseVal.value);
      return { run: Number(run.dataset.run), from: run.dataset.from, to: run.dataset.to,
               iterate: point('.iterate'), lands: point('.lands'), latest: run.classList.contains('latest') };
    }),
  }));
  const [x0, x1, y0, y1] = view;
  const [left, right, bottom, top] = plot;
  const at = (x, y) => [left + ((x - x0) / (x1 - x0)) * (right - left), bottom - ((y - y0) / (y1 - y0)) * (bottom - top)];
  return runs.map((run) => ({ ...run, at }));
}
// Within a hundredth of a unit of the picture (whose attributes keep floats).
const near = ([x, y], [u, v]) => Math.abs(x - u) < 0.01 && Math.abs(y - v) < 0.01;

async function dialogue(page, url, typed) {
  await page.goto(url);
  await waitFor(page, 'waiting for input');
  await screen(page).click();
  await typeKeys(page, typed);
  await waitFor(page, /waiting for input|exit status/);
}

test('the runs drawn are the printed iterates', async () => {
  const { page, url } = await openPage();
  // Answering no takes the n, and the start point's read fails on the o,
  // which stores 0: the built-in run, drawn from 0.
  for (const [typed, start, count] of [['y\n', 0, 62], ['n\n-2\n1\n10\n', -2, 5], ['no\n', 0, 62]]) {
    await dialogue(page, url, typed);
    const printed = iterateLines(await screenText(page));
    assert.equal(printed.length, count);
    const runs = await drawnRuns(page);
    assert.deepEqual(runs.map((run) => run.run), printed.map((_, k) => k + 1), 'one run per printed iterate');
    runs.forEach((run, k) => {
      assert.equal(run.to, printed[k]);
      assert.equal(run.from, k === 0 ? String(start) : printed[k - 1]);
      const from = Number(run.from);
      assert.ok(near(run.iterate, run.at(from, f(from))), `run ${k + 1} starts on the curve at its iterate`);
      assert.ok(near(run.lands, run.at(Number(printed[k]), 0)), `run ${k + 1} lands on the axis at the printed iterate`);
    });
    assert.deepEqual(runs.filter((run) => run.latest).map((run) => run.run), [count], 'the latest run stands out');
  }
});

test('a long run draws its last 100 runs, and says so', async () => {
  const { page, url } = await openPage();
  await dialogue(page, url, 'n\n0\n1\n150\n');
  const runs = await drawnRuns(page);
  assert.deepEqual(runs.map((run) => run.run), Array.from({ length: 100 }, (_, k) => k + 51));
  assert.equal(await page.locator('.notes').textContent(), 'runs 51 to 150 drawn (the last 100 that can be)');
});

test('stepping shows each run on its own with its numbers', async () => {
  const { page, url } = await openPage();
  await dialogue(page, url, 'y\n');
  const printed = iterateLines(await screenText(page));
  const caption = page.locator('figcaption');
  await page.getByRole('button', { name: 'Previous run' }).click();
  await page.getByRole('figure').focus();
  for (let run = 62; run >= 1; run--) {
    const from = run === 1 ? '0' : printed[run - 2];
    assert.match(await caption.textContent(), new RegExp(
      `^run ${run}: from ${from.replace(/[.+]/g, '\\$&')}, the tangent meets the axis at \\S+, `
      + `and the damped step lands on ${printed[run - 1].replace(/[.+]/g, '\\$&')}$`));
    const shown = await drawnRuns(page);
    assert.deepEqual(shown.map((r) => r.run), [run], 'the run on its own');
    if (run === 13) {
      // The escape from the valley: the tangent points far left, and half of
      // that step lands past the hump.
      const meets = Number(/meets the axis at (\S+),/.exec(await caption.textContent())[1]);
      assert.equal(from, '0.858713');
      assert.ok(Math.abs(meets + 3.46) < 0.01, `run 13's tangent meets the axis near -3.46, not ${meets}`);
      assert.equal(printed[12], '-1.2995');
    }
    await page.keyboard.press('ArrowLeft');
  }
  await page.getByRole('button', { name: 'Next run' }).click();
  assert.match(await caption.textContent(), /^run 2: from 0\.5,/);
  await page.keyboard.press('Escape');
  assert.equal((await drawnRuns(page)).length, 62, 'Escape follows the run again');
  await page.getByRole('button', { name: 'Previous run' }).click();
  await page.getByRole('button', { name: 'Follow the run' }).click();
  assert.equal((await drawnRuns(page)).length, 62);
});

test('infinite and NaN iterates are not drawn, and the page says so', async () => {
  const { page, url } = await openPage();
  const nan = process.arch === 'arm64' ? 'nan' : '-nan';
  for (const [typed, notes] of [
    ['n\n1e200\n0.5\n5\n', `runs 1 to 5: ${nan}, not drawn`],
    ['n\n1e103\n0.5\n5\n', `run 1: -inf, not drawn; runs 2 to 5: ${nan}, not drawn`],
  ]) {
    await dialogue(page, url, typed);
    assert.equal((await drawnRuns(page)).length, 0);
    assert.equal(await page.locator('.notes').textContent(), notes);
  }
});

test('a far meeting point is marked at the edge with its value', async () => {
  const { page, url } = await openPage();
  // At 0.8165, near the valley's floor where f' is almost 0, the tangent is
  // nearly flat: it meets the axis near -54,000, and a step damped by 0.0001
  // lands near -4.6.
  await dialogue(page, url, 'n\n0.8165\n0.0001\n1\n');
  const mark = page.getByRole('img', { name: 'Picture' }).locator('.edge.latest text');
  const meets = Number(/^meets the axis at (\S+)$/.exec(await mark.textContent())[1]);
  assert.ok(Math.abs(meets) > 1000, `the tangent points thousands away: ${meets}`);
  assert.equal(iterateLines(await screenText(page))[0], (await drawnRuns(page))[0].to);
});

test("a link replays the README's dialogues, and Copy link gives one", async () => {
  const { page, url } = await openPage();
  await allowClipboard(page);
  const readme = await readFile(join(root, 'README.md'), 'utf8');
  for (const transcript of await readmeTranscripts()) {
    const typed = typedIn(transcript);
    const address = replayAddress('http://127.0.0.1:8000/', typed);
    assert.ok(readme.includes(address), `the README gives the address ${address}`);
    await page.goto(replayAddress(url, typed));
    await waitFor(page, 'exit status 0');
    const shown = await screenText(page);
    assert.equal(shown, expand(transcript, shown));
  }
  await dialogue(page, url, 'n\n-2\n0.5\n3\n');
  const copied = await copyLink(page);
  assert.equal(copied, replayAddress(url, 'n\n-2\n0.5\n3\n'));
  const before = await screenText(page);
  await page.goto(copied);
  await waitFor(page, 'waiting for input');
  assert.equal(await screenText(page), before);
});

test('before a run, the curve and no plot of nothing; every label inside its drawing, on a desktop and a phone',
  async () => {
    for (const width of noPhone ? [1280] : [1280, 360]) {
      const { page, url } = await openPage({ width, height: 900 });
      await page.goto(url);
      await waitFor(page, 'waiting for input');
      assert.equal(await page.locator('#moves').evaluate((svg) => svg.childElementCount), 0, 'an empty plot');
      // f's hump, 3.0887 at -0.8165, is in the first view, and its dip below the axis.
      const [, , y0, y1] = (await page.locator('#picture').getAttribute('data-view')).split(' ').map(Number);
      assert.ok(y0 < 0 && y1 > 3.0887, `y from ${y0} to ${y1}`);
      // Labels of five and six characters: y to -15000 at -0.83, ulps to 1e14 at λ 0.25.
      for (const typed of ['n\n-0.83\n0.5\n20\n', 'n\n-3\n0.25\n500\n']) {
        await page.goto(replayAddress(url, typed));
        await waitFor(page, /waiting for input|exit status/);
        const outside = await page.evaluate(() => [...document.querySelectorAll('#picture text, #moves text')]
          .filter((text) => {
            const box = text.getBBox();
            return box.x < 0 || box.x + box.width > 520;
          }).map((text) => text.textContent));
        assert.deepEqual(outside, [], `${width} px, ${JSON.stringify(typed)}`);
      }
    }
  });

test('during a long run the caption is said to a screen reader at most about once a second', async () => {
  const { page, url } = await openPage();
  await page.goto(replayAddress(url, 'n\n0\n1\n2147483647\n'));
  await page.getByRole('status').filter({ hasText: 'running' }).waitFor();
  const said = await page.evaluate(() => new Promise((resolve) => {
    const words = document.getElementById('caption-said');
    const changes = [];
    new MutationObserver(() => changes.push(words.textContent))
      .observe(words, { childList: true, characterData: true, subtree: true });
    setTimeout(() => resolve({ changes, live: words.getAttribute('aria-live'), drawn: document.getElementById('caption').textContent }), 4000);
  }));
  assert.equal(said.live, 'polite');
  assert.ok(said.changes.length >= 1 && said.changes.length <= 4, `${said.changes.length} changes in 4 s`);
  assert.match(said.changes.at(-1), /^run \d+: from [01], the tangent meets the axis at [01], and the damped step lands on [01]$/);
  // A person's step is said at once.
  await page.getByRole('button', { name: 'Previous run' }).click();
  assert.equal(await page.locator('#caption-said').textContent(), await page.locator('figcaption').textContent());
  await page.getByRole('button', { name: 'Stop' }).click();
});

test("a phone's width and a desktop's draw the same, beside or below the console", { skip: noPhone }, async () => {
  const drawings = [];
  for (const size of [{ width: 390, height: 844 }, { width: 1280, height: 900 }]) {
    const { page, url } = await openPage(size);
    await dialogue(page, url, 'n\n-2\n0.5\n20\n');
    drawings.push(await page.getByRole('img', { name: 'Picture' }).evaluate((svg) => svg.innerHTML));
    const picture = await page.getByRole('img', { name: 'Picture' }).boundingBox();
    const console = await screen(page).boundingBox();
    const apart = picture.y >= console.y + console.height || picture.x >= console.x + console.width;
    assert.ok(apart, `the picture does not overlap the console at ${size.width} px`);
    assert.ok(picture.x >= 0 && picture.x + picture.width <= size.width, 'the picture fits the width');
    await page.screenshot({ path: join(process.env.SCREENSHOTS ?? tmpdir(), `page-${engineName}-${size.width}.png`), fullPage: true });
    assert.equal(await state(page), 'waiting for input');
  }
  assert.equal(drawings[0], drawings[1]);
});
