// Where the page's long run spends its time: Chromium's CPU profile (through
// the DevTools protocol) of the 2,000,000 NaN lines that bench/long-run.mjs
// types, its samples summed by where they fall: each script of the page, the
// module (its functions named), the browser's own work. Prints the share of
// each, the heaviest functions, and the run's time.
// Usage: node bench/profile.mjs [TOP]
import * as helpers from '../tests/browser/page.mjs';
import { lines, timeLongRun } from './long-run.mjs';

const top = Number(process.argv[2] ?? 15);
const browser = await helpers.open();
const { page, url } = browser;
const cdp = await page.context().newCDPSession(page);
await cdp.send('Profiler.enable');
await cdp.send('Profiler.setSamplingInterval', { interval: 200 });
await page.goto(url);
await cdp.send('Profiler.start');
const seconds = await timeLongRun(helpers, page, url);
const { profile } = await cdp.send('Profiler.stop');

// Each sample's time goes to the node it fell in.
const self = new Map();
const byId = new Map(profile.nodes.map((node) => [node.id, node]));
profile.samples.forEach((id, k) => self.set(id, (self.get(id) ?? 0) + (profile.timeDeltas[k + 1] ?? 0)));
const where = ({ callFrame: { url: script, functionName } }) => {
  if (script.startsWith('wasm://')) return 'the module (WebAssembly)';
  if (script) return script.replace(/^.*\//, '');
  return functionName || '(anonymous)';
};
const total = [...self.values()].reduce((sum, t) => sum + t, 0);
const sum = (key) => {
  const sums = new Map();
  for (const [id, t] of self) {
    const name = key(byId.get(id));
    sums.set(name, (sums.get(name) ?? 0) + t);
  }
  return [...sums].sort((a, b) => b[1] - a[1]);
};
const share = (t) => `${((100 * t) / total).toFixed(1).padStart(5)} %  ${(t / 1000).toFixed(0).padStart(6)} ms`;

console.log(`long run of ${lines.toLocaleString('en')} lines: ${seconds.toFixed(2)} s; `
  + `profiled ${(total / 1e6).toFixed(2)} s of samples, ${(1000 * total / 1e6 / lines * 1000).toFixed(2)} µs a line`);
console.log('\nby where:');
for (const [name, t] of sum(where)) if (t / total >= 0.002) console.log(`${share(t)}  ${name}`);
console.log(`\nthe ${top} heaviest functions:`);
for (const [name, t] of sum((node) => `${node.callFrame.functionName || '(anonymous)'}  ${where(node)}`).slice(0, top)) {
  console.log(`${share(t)}  ${name}`);
}
await browser.close();
