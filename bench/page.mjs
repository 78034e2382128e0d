// The page's figures: the module's size, plain and gzipped; the time from
// navigation to the question on screen; and a run of 2,000,000 NaN lines in
// the page against the native program writing the same lines into a pipe,
// pair after pair, with the ratio of each pair. Reports, never fails.
// Usage: node bench/page.mjs NATIVE-PROGRAM [PAIRS]   (bench/run passes its build)
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { gzipSync } from 'node:zlib';
import { join } from 'node:path';
import { open, root, screen, waitFor, typeKeys } from '../tests/browser/page.mjs';

const [native, pairs = 5] = process.argv.slice(2);
const lines = 2000000;
const answers = `n\n1e200\n0.5\n${lines}\n`;
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

const firstLine = [];
const inPage = [];
const inPipe = [];
for (let pair = 0; pair < pairs; pair++) {
  await page.goto(browser.url);
  await waitFor(page, 'waiting for input');
  firstLine.push(await page.evaluate(() => window.questionShown));

  await screen(page).click();
  await typeKeys(page, answers.slice(0, -1));
  const started = performance.now();
  await page.keyboard.press('Enter');
  await waitFor(page, 'waiting for input');
  inPage.push((performance.now() - started) / 1000);

  const nativeStarted = performance.now();
  execFileSync('sh', ['-c', '"$0" | cat >/dev/null', native], { input: answers });
  inPipe.push((performance.now() - nativeStarted) / 1000);
  console.log(`pair ${pair + 1}: page ${inPage.at(-1).toFixed(2)} s, native into a pipe ${inPipe.at(-1).toFixed(2)} s,`
    + ` ratio ${(inPage.at(-1) / inPipe.at(-1)).toFixed(2)}`);
}
await browser.close();

console.log(`question on screen after navigation, ms: median ${spread(firstLine, 0)}`);
console.log(`${lines.toLocaleString('en')} lines in the page, s: median ${spread(inPage, 2)}`);
console.log(`ratio to the native program into a pipe: median ${spread(inPage.map((time, i) => time / inPipe[i]), 2)}`);
