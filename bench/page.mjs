// The page's figures: the module's size, plain and gzipped; the time from
// navigation to the question on screen, served and as the one file opened from
// the disk, against their goals of 300 and 500 ms; the map, whole and zoomed,
// against the same map computed natively; a dragged start point until its run
// is drawn; links of 10,000 and 100,000 blank lines replayed; and a run of
// 2,000,000 NaN lines in the page against the native program writing the same
// lines into a pipe, pair after pair, with the ratio of each pair. Reports,
// never fails.
// Usage: node bench/page.mjs NATIVE-PROGRAM NATIVE-MAP [PAIRS]   (bench/run passes its builds)
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { gzipSync } from 'node:zlib';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import * as helpers from '../tests/browser/page.mjs';
import { lines, answers, timeLongRun } from './long-run.mjs';

const { open, root, waitFor, replayAddress } = helpers;

const [native, nativeMap, pairs = 5] = process.argv.slice(2);
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return (sorted[Math.floor((sorted.length - 1) / 2)] + sorted[Math.floor(sorted.length / 2)]) / 2;
};
const spread = (values, digits) =>
  `${median(values).toFixed(digits)} (${Math.min(...values).toFixed(digits)} to ${Math.max(...values).toFixed(digits)})`;

const module = readFileSync(join(root, 'web/damped-newton.wasm'));
console.log(`module: ${(module.length / 1024).toFixed(0)} KiB, gzipped ${(gzipSync(module, { level: 9 }).length / 1024).toFixed(0)} KiB`);

const browser = await open();
const { page } = browser;
// When the question is first on screen, in ms since navigation began.
await page.addInitScript(() => {
  new MutationObserver((changes, observer) => {
    const shown = document.getElementById('screen');
    if (shown?.textContent.startsWith('y for default values')) {
      window.questionShown = performance.now();
      observer.disconnect();
    }
  }).observe(document, { subtree: true, childList: true, characterData: true });
});

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
  console.log(`question on screen after navigation, ${how}, ms: median ${spread(times, 0)}`
    + ` (goal: at most ${goals[how]} ms${median(times) <= goals[how] ? ', met' : ', NOT met'})`);
}

// The map's marks of the latest computation, in ms.
const mapTimes = () => page.evaluate(() => {
  const last = (name) => performance.getEntriesByName(name).at(-1).startTime;
  return { first: last('map first drawn') - last('map started'), whole: last('map complete') - last('map started') };
});
const mapDone = () => page.locator('#map-progress').filter({ hasText: /^([\d,]+) of \1 cells/ }).waitFor({ timeout: 60000 });
const first = [];
const whole = [];
const zoomed = [];
for (let pair = 0; pair < pairs; pair++) {
  await page.goto(browser.url);
  await mapDone();
  const times = await mapTimes();
  first.push(times.first);
  whole.push(times.whole);
  // A rectangle over start -1.3 to -0.3 and λ 1.1 to 1.35.
  const map = page.getByRole('application', { name: 'Map' });
  await map.scrollIntoViewIfNeeded();
  const box = await map.boundingBox();
  const [left, top, width, height] = (await map.getAttribute('data-plot')).split(' ').map(Number);
  const at = (start, lambda) => [box.x + left + ((start + 4.0125) / 8.025) * width,
    box.y + top + height - ((lambda - 0.0375) / 1.975) * height];
  await page.mouse.move(...at(-1.3, 1.35));
  await page.mouse.down();
  await page.mouse.move(...at(-0.8, 1.2));
  await page.mouse.move(...at(-0.3, 1.1));
  await page.mouse.up();
  await page.locator('#map-progress').filter({ hasNotText: /^25,359 of/ }).waitFor();
  await mapDone();
  zoomed.push((await mapTimes()).whole);
}
const nativeLine = execFileSync(nativeMap, ['5'], { encoding: 'utf8' }).trim();
const nativeWhole = Number(/median (\d+) ms/.exec(nativeLine)[1]);
console.log(`map, whole (25,359 cells): first view ${spread(first, 0)} ms, all ${spread(whole, 0)} ms`);
console.log(`map, zoomed (start -1.3 to -0.3, λ 1.1 to 1.35): ${spread(zoomed, 0)} ms`);
console.log(`${nativeLine}; the page's median is ${(median(whole) / nativeWhole).toFixed(2)} times that`);

// The start point dragged: from the pointer's move until the run it typed
// has ended its iteration on screen and is drawn, a frame at a time.
await page.goto(browser.url);
await waitFor(page, 'waiting for input');
await page.getByRole('button', { name: 'the built-in run' }).click();
await waitFor(page, 'waiting for input');
const handle = page.getByRole('slider', { name: 'start point' });
const box = await handle.boundingBox();
const [x, y] = [box.x + box.width / 2, box.y + box.height / 2];
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
  await page.getByRole('status').filter({ hasText: 'exit status 0' }).waitFor({ timeout: 120000 });
  const longest = await page.evaluate(() => window.longest);
  console.log(`a link of ${blank.toLocaleString('en')} blank lines: exit status 0 after `
    + `${((performance.now() - started) / 1000).toFixed(2)} s, frames at most ${longest.toFixed(0)} ms apart`);
}

const inPage = [];
const inPipe = [];
for (let pair = 0; pair < pairs; pair++) {
  inPage.push(await timeLongRun(helpers, page, browser.url));

  const nativeStarted = performance.now();
  execFileSync('sh', ['-c', '"$0" | cat >/dev/null', native], { input: answers });
  inPipe.push((performance.now() - nativeStarted) / 1000);
  console.log(`pair ${pair + 1}: page ${inPage.at(-1).toFixed(2)} s, native into a pipe ${inPipe.at(-1).toFixed(2)} s,`
    + ` ratio ${(inPage.at(-1) / inPipe.at(-1)).toFixed(2)}`);
}
await browser.close();

console.log(`${lines.toLocaleString('en')} lines in the page, s: median ${spread(inPage, 2)}`);
console.log(`ratio to the native program into a pipe: median ${spread(inPage.map((time, i) => time / inPipe[i]), 2)}`);
