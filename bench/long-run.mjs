// The page's long run: 2,000,000 NaN lines (start 1e200, λ 0.5) typed into a
// page, timed from the Enter of the last answer until the program waits for
// its final number; and the same lines from the native program into a pipe,
// turn about with the page. `helpers` are the tests/browser/page.mjs of the
// checkout whose page is open, so that another checkout's page is typed into
// alike.
import { execFileSync } from 'node:child_process';

export const lines = 2000000;
export const answers = `n\n1e200\n0.5\n${lines}\n`;

// Seconds, for the page at url.
export async function timeLongRun({ screen, waitFor, typeKeys }, page, url) {
  await page.goto(url);
  await waitFor(page, 'waiting for input');
  await screen(page).click();
  await typeKeys(page, answers.slice(0, -1));
  const started = performance.now();
  await page.keyboard.press('Enter');
  await page.getByRole('status').filter({ hasText: 'waiting for input' }).waitFor({ timeout: 120000 });
  return (performance.now() - started) / 1000;
}

// Seconds, for the native program writing the same lines into a pipe to cat.
export function timeNative(program) {
  const started = performance.now();
  execFileSync('sh', ['-c', '"$0" | cat >/dev/null', program], { input: answers });
  return (performance.now() - started) / 1000;
}

export const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return (sorted[Math.floor((sorted.length - 1) / 2)] + sorted[Math.floor(sorted.length / 2)]) / 2;
};
export const spread = (values, digits) =>
  `${median(values).toFixed(digits)} (${Math.min(...values).toFixed(digits)} to ${Math.max(...values).toFixed(digits)})`;

// The page and the native program turn about for `pairs` pairs, each pair
// printed; then the medians, and the ratio of each pair against its goals:
// a median at most 1.0 and no pair above 1.25.
export async function againstNative(helpers, page, url, program, pairs, engine) {
  const inPage = [];
  const inPipe = [];
  for (let pair = 0; pair < pairs; pair++) {
    inPage.push(await timeLongRun(helpers, page, url));
    inPipe.push(timeNative(program));
    console.log(`pair ${pair + 1}: page ${inPage.at(-1).toFixed(2)} s, native into a pipe ${inPipe.at(-1).toFixed(2)} s,`
      + ` ratio ${(inPage.at(-1) / inPipe.at(-1)).toFixed(2)}`);
  }
  const ratios = inPage.map((time, i) => time / inPipe[i]);
  const met = median(ratios) <= 1 && Math.max(...ratios) <= 1.25;
  console.log(`${lines.toLocaleString('en')} lines in ${engine}, s: median ${spread(inPage, 2)};`
    + ` native into a pipe ${spread(inPipe, 2)}`);
  console.log(`ratio to the native program into a pipe: median ${spread(ratios, 2)}`
    + ` (goal: median at most 1.0, none above 1.25${met ? ', met' : ', NOT met'})`);
}
