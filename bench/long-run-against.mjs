// Whether a change slows the console: the run of 2,000,000 NaN lines (start
// 1e200, λ 0.5) typed into this checkout's page and into another's, turn
// about for 5 pairs in Chromium, each timed from the last Enter until the
// program waits for its final number. Reports, never fails.
// Usage: node bench/long-run-against.mjs OTHER-CHECKOUT   (for one, git worktree add /tmp/before main)
import { fileURLToPath } from 'node:url';
import { timeLongRun } from './long-run.mjs';

const here = fileURLToPath(new URL('..', import.meta.url));
const trees = [here, process.argv[2]].map((tree) => tree.replace(/\/?$/, '/'));
const PAIRS = 5;

const pages = [];
for (const tree of trees) {
  // Each checkout's own helpers serve its own web/.
  const helpers = await import(`${tree}tests/browser/page.mjs`);
  pages.push({ tree, helpers, browser: await helpers.open(), times: [] });
}
for (let pair = 0; pair < PAIRS; pair++) {
  for (const one of pair % 2 ? [...pages].reverse() : pages) {
    one.times.push(await timeLongRun(one.helpers, one.browser.page, one.browser.url));
  }
  console.log(`pair ${pair + 1}: ${pages.map(({ tree, times }) => `${tree} ${times.at(-1).toFixed(2)} s`).join(', ')}`);
}
for (const { browser } of pages) await browser.close();
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
for (const { tree, times } of pages) {
  console.log(`${tree}: median ${median(times).toFixed(2)} s (${Math.min(...times).toFixed(2)} to ${Math.max(...times).toFixed(2)})`);
}
