// The page's figures in Chromium, each against its goal where it has one: the
// module's size, plain and gzipped; the time from navigation to the question
// on screen, served and as the one file opened from the disk; the map of
// every start and λ, whole and zoomed, and where a rounding changes it, once
// the page's workers are up, against the same map computed natively on one
// core, with how soon keys and clicks are answered meanwhile, and a zoom
// during the map at the limit of 5,000 until its first cells; a dragged start
// point until its run is drawn; links of 10,000 and 100,000 blank lines
// replayed; and a run of 2,000,000 NaN lines in the page against the native
// program writing the same lines into a pipe, pair after pair, with how soon
// keys and Stop are answered during such a run. Reports, never fails.
// Usage: node bench/page.mjs NATIVE-PROGRAM NATIVE-MAP [PAIRS]   (bench/run passes its builds)
import { execFileSync } from 'node:child_process';
import { cpus } from 'node:os';
import { readFileSync } from 'node:fs';
import { gzipSync } from 'node:zlib';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import * as helpers from '../tests/browser/page.mjs';
import { againstNative, median, spread, answers } from './long-run.mjs';

const { open, root, waitFor, replayAddress, screen, typeKeys, stop, field } = helpers;

const [native, nativeMap, pairs = 5] = process.argv.slice(2);
const goal = (value, most, unit) => `(goal: at most ${most}${unit}${value <= most ? ', met' : ', NOT met'})`;

const browser = await open();
const { page } = browser;
console.log(`${cpus().length} cores, ${cpus()[0].model}; ${execFileSync('chromium', ['--version'], { encoding: 'utf8' }).trim()}`);
const module = readFileSync(join(root, 'web/damped-newton.wasm'));
console.log(`module: ${(module.length / 1024).toFixed(0)} KiB, gzipped ${(gzipSync(module, { level: 9 }).length / 1024).toFixed(0)} KiB`);

// When the question is first on screen, in ms since navigation began; and,
// once asked for, how soon each key and click is answered: from the moment
// the browser took it to the frame that shows its answer.
await page.addInitScript(() => {
  new MutationObserver((changes, observer) => {
    const shown = document.getElementById('screen');
    if (shown?.textContent.startsWith('y for default values')) {
      window.questionShown = performance.now();
      observer.disconnect();
    }
  }).observe(document, { subtree: true, childList: true, characterData: true });
  window.answers = [];
  for (const type of ['keydown', 'click']) {
    document.addEventListener(type, (event) => {
      requestAnimationFrame(() => window.answers.push({ type, at: event.timeStamp, took: performance.now() - event.timeStamp }));
    }, true);
  }
});
const answered = () => page.evaluate(() => window.answers.splice(0));

// The question on screen, served and from the disk, over 11 navigations each.
const goals = { served: 300, 'one file from the disk': 500 };
const addresses = { served: browser.url, 'one file from the disk': pathToFileURL(join(root, 'damped-newton.html')).href };
for (const [how, address] of Object.entries(addresses)) {
  const times = [];
  for (let k = 0; k < 11; k++) {
    await page.goto(address);
    await waitFor(page, 'waiting for input');
    times.push(await page.evaluate(() => window.questionShown));
  }
  console.log(`question on screen after navigation, ${how}, ms: median ${spread(times, 0)} ${goal(median(times), goals[how], ' ms')}`);
}

// The marks of the map's latest computation, in ms from its start, and the
// keys and clicks answered while it computed.
const map = page.getByRole('application', { name: 'Map' });
const mapDone = () => page.locator('#map-progress').filter({ hasText: /^([\d,]+) of \1 cells|cells differ$/ })
  .waitFor({ timeout: 60000 });
const mapTimes = async () => {
  const times = await page.evaluate(() => {
    const last = (name) => performance.getEntriesByName(name).at(-1).startTime;
    return { started: last('map started'), first: last('map first drawn') - last('map started'),
             whole: last('map complete') - last('map started') };
  });
  const during = (await answered()).filter(({ at }) => at >= times.started && at <= times.started + times.whole);
  return { ...times, answers: during.map(({ took }) => took) };
};
// A new map: its start awaited, then keys and a click while it computes.
const computeWhileAnswering = async (begin) => {
  const before = await page.evaluate(() => performance.getEntriesByName('map started').length);
  await begin();
  await page.waitForFunction((count) => performance.getEntriesByName('map started').length > count, before);
  await map.press('ArrowRight');
  await page.getByRole('button', { name: 'Previous run' }).click();
  await map.press('ArrowLeft');
  await mapDone();
  return mapTimes();
};

const loaded = { first: [], whole: [] };
const fresh = { first: [], whole: [], answers: [] };
const zoomed = [];
const differing = { first: [], whole: [] };
for (let pair = 0; pair < pairs; pair++) {
  await page.goto(browser.url);
  await waitFor(page, 'waiting for input');
  await mapDone();
  const atLoad = await mapTimes();
  loaded.first.push(atLoad.first);
  loaded.whole.push(atLoad.whole);
  // A rectangle over start -1.3 to -0.3 and λ 1.1 to 1.35.
  await map.scrollIntoViewIfNeeded();
  const box = await map.boundingBox();
  const [left, top, width, height] = (await map.getAttribute('data-plot')).split(' ').map(Number);
  const at = (start, lambda) => [box.x + left + ((start + 4.0125) / 8.025) * width,
    box.y + top + height - ((lambda - 0.0375) / 1.975) * height];
  const rectangle = await computeWhileAnswering(async () => {
    await page.mouse.move(...at(-1.3, 1.35));
    await page.mouse.down();
    await page.mouse.move(...at(-0.8, 1.2));
    await page.mouse.move(...at(-0.3, 1.1));
    await page.mouse.up();
  });
  zoomed.push(rectangle.whole);
  fresh.answers.push(...rectangle.answers);
  // More zooms, by +, until the whole map has left the page's eight kept
  // maps: "Whole map" then computes it afresh, with the workers up.
  for (let k = 0; k < 8; k++) {
    const zoom = await computeWhileAnswering(() => map.press('+'));
    fresh.answers.push(...zoom.answers);
  }
  const whole = await computeWhileAnswering(() => page.getByRole('button', { name: 'Whole map' }).click());
  fresh.first.push(whole.first);
  fresh.whole.push(whole.whole);
  fresh.answers.push(...whole.answers);
  const differ = await computeWhileAnswering(() => page.getByRole('combobox', { name: 'Map shows' })
    .selectOption({ label: 'where single precision changes it' }));
  differing.first.push(differ.first);
  differing.whole.push(differ.whole);
  fresh.answers.push(...differ.answers);
}
const nativeLine = execFileSync(nativeMap, ['5'], { encoding: 'utf8' }).trim();
const nativeWhole = Number(/median (\d+) ms/.exec(nativeLine)[1]);
const ratio = (times) => median(times) / nativeWhole;
console.log(nativeLine);
console.log(`map at the page's load, while its workers start: first view ${spread(loaded.first, 0)} ms,`
  + ` all ${spread(loaded.whole, 0)} ms, ${ratio(loaded.whole).toFixed(2)} times the native map`);
console.log(`map, whole (25,359 cells), workers up: first view ${spread(fresh.first, 0)} ms`
  + ` ${goal(median(fresh.first), 50, ' ms')}; all ${spread(fresh.whole, 0)} ms, ${ratio(fresh.whole).toFixed(2)}`
  + ` times the native map ${goal(ratio(fresh.whole), 0.75, ' times')}`);
console.log(`map, zoomed (start -1.3 to -0.3, λ 1.1 to 1.35): ${spread(zoomed, 0)} ms ${goal(median(zoomed), 200, ' ms')}`);
console.log(`map of where single precision changes the count: first view ${spread(differing.first, 0)} ms`
  + ` ${goal(median(differing.first), 50, ' ms')}; all ${spread(differing.whole, 0)} ms,`
  + ` ${ratio(differing.whole).toFixed(2)} times the native map ${goal(ratio(differing.whole), 0.75, ' times')}`);
console.log(`keys and clicks answered while a map computes, ${fresh.answers.length} of them, ms: median`
  + ` ${spread(fresh.answers, 0)} ${goal(Math.max(...fresh.answers), 50, ' ms')}`);

// A zoom by a key while the whole map at the limit of 5,000 runs computes,
// past its first 3,000 cells: from the key until the zoomed map's first 300
// cells are known. Jobs still out for the whole map hold the workers meanwhile.
const zoomsAt5000 = [];
for (let pair = 0; pair < pairs; pair++) {
  await page.goto(browser.url);
  await waitFor(page, 'waiting for input');
  await field(page, 'limit').fill('5000');
  await field(page, 'limit').press('Enter');
  await page.evaluate(() => {
    const progress = document.getElementById('map-progress');
    const cells = () => Number(/^([\d,]+) of/.exec(progress.textContent)?.[1].replace(/,/g, ''));
    new MutationObserver((changes, observer) => {
      if (!window.wholeUnderway) {
        window.wholeUnderway = document.getElementById('map-limit').textContent.includes('limit 5000')
          && cells() > 3000;
      } else if (!progress.textContent.includes('of 25,359') && cells() >= 300) {
        window.zoomedCells = performance.now();
        observer.disconnect();
      }
    }).observe(progress, { childList: true, characterData: true, subtree: true });
    document.addEventListener('keydown', (event) => { window.zoomKey = event.timeStamp; }, { capture: true });
  });
  await page.waitForFunction(() => window.wholeUnderway);
  await map.press('+');
  await page.waitForFunction(() => window.zoomedCells);
  zoomsAt5000.push(await page.evaluate(() => window.zoomedCells - window.zoomKey));
}
console.log(`a zoom while the map at the limit 5,000 computes: its first 300 cells after ${spread(zoomsAt5000, 0)} ms`);

// The start point dragged: from each move of the pointer until the run it
// typed has ended its iteration on screen and is drawn, a frame at a time.
await page.goto(browser.url);
await waitFor(page, 'waiting for input');
await page.getByRole('button', { name: 'the built-in run' }).click();
await waitFor(page, 'waiting for input');
const handle = page.getByRole('slider', { name: 'start point' });
const handleBox = await handle.boundingBox();
const [x, y] = [handleBox.x + handleBox.width / 2, handleBox.y + handleBox.height / 2];
await page.evaluate(() => document.addEventListener('pointermove', (event) => {
  window.moved = event.timeStamp;
}, true));
const drags = [];
await page.mouse.move(x, y);
await page.mouse.down();
for (let step = 1; step <= 20; step++) {
  await page.mouse.move(x - 6 * step, y);
  drags.push(await page.evaluate(() => new Promise((resolve) => {
    const start = document.getElementById('start-text').value;
    const check = () => {
      const drawn = document.querySelector('#picture .run.latest');
      const ended = /(Done after: \d+ runs|\n[^\n]*)\n$/.test(document.getElementById('screen').textContent)
        && document.getElementById('state').textContent === 'waiting for input';
      if (ended && drawn && document.getElementById('read-as').textContent.includes(`start ${Number(start)},`)) {
        resolve(performance.now() - window.moved);
      } else requestAnimationFrame(check);
    };
    check();
  })));
}
await page.mouse.up();
console.log(`a dragged start's run drawn after the move, ms: median ${spread(drags, 0)}`);

// Links of blank lines, replayed to the end: the time from navigation, and
// the longest gap between two frames meanwhile.
for (const blank of [10000, 100000]) {
  const started = performance.now();
  await page.goto(replayAddress(browser.url, `n${'\n'.repeat(blank + 1)}-2\n1\n10\n0\n`));
  await page.evaluate(() => {
    window.longest = 0;
    let last = performance.now();
    const frame = (now) => {
      window.longest = Math.max(window.longest, now - last);
      last = now;
      requestAnimationFrame(frame);
    };
    requestAnimationFrame(frame);
  });
  await page.getByRole('status').filter({ hasText: 'exit status 0' }).waitFor({ timeout: 300000 });
  const longest = await page.evaluate(() => window.longest);
  console.log(`a link of ${blank.toLocaleString('en')} blank lines: exit status 0 after `
    + `${((performance.now() - started) / 1000).toFixed(2)} s, frames at most ${longest.toFixed(0)} ms apart`);
}

await againstNative(helpers, page, browser.url, native, pairs, 'Chromium');

// During the same run, keys typed and Stop.
await page.goto(browser.url);
await waitFor(page, 'waiting for input');
await screen(page).click();
await typeKeys(page, answers.replace(/\d+\n$/, '2147483647\n'));
await page.waitForTimeout(500);
await answered();
for (let k = 0; k < 10; k++) {
  await page.keyboard.type('x');
  await page.waitForTimeout(100);
}
const keys = (await answered()).map(({ took }) => took);
const stopped = await stop(page);
console.log(`during a long run, keys answered in ms: median ${spread(keys, 0)} ${goal(Math.max(...keys), 100, ' ms')};`
  + ` Stop in ${stopped.toFixed(0)} ms ${goal(stopped, 100, ' ms')}`);
await browser.close();
