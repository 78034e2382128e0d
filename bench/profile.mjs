// Where the page's long run spends its time: the 2,000,000 NaN lines that
// bench/long-run.mjs types, profiled in two parts, each line's share. The program runs in its
// worker: its share is the module run under Node through the same WASI layer,
// with a host that takes each piece as the worker's does, its profile summed
// by what the program does (the step, formatting a double, the C library's
// writing, the WASI layer). The page's thread shows the lines: Chromium's CPU
// profile of it during the run (through the DevTools protocol), summed by
// script and the browser's own work. Both print their heaviest functions.
// With the named module of bench/named-module.sh, the module's functions
// have names.
// Usage: node bench/profile.mjs [NAMED-MODULE] [TOP]
import { readFileSync } from 'node:fs';
import { Session } from 'node:inspector/promises';
import * as helpers from '../tests/browser/page.mjs';
import { lines, answers } from './long-run.mjs';
import { run } from '../web/module/wasi.mjs';

const [named = `${helpers.root}web/damped-newton.wasm`, top = 12] = process.argv.slice(2);

// A profile's samples summed by where each falls, heaviest first.
function sums(profile, key) {
  const byId = new Map(profile.nodes.map((node) => [node.id, node]));
  const totals = new Map();
  profile.samples.forEach((id, k) => {
    const name = key(byId.get(id).callFrame);
    totals.set(name, (totals.get(name) ?? 0) + (profile.timeDeltas[k + 1] ?? 0));
  });
  return [...totals].sort((a, b) => b[1] - a[1]);
}
function print(title, profile, key, seconds) {
  const all = sums(profile, () => 'all')[0][1];
  const line = (t) => `${((100 * t) / all).toFixed(1).padStart(5)} %  ${(t / lines).toFixed(3)} µs a line`;
  console.log(`\n${title}: ${seconds.toFixed(2)} s; ${(all / 1e6).toFixed(2)} s of samples`);
  for (const [name, t] of sums(profile, key)) if (t / all >= 0.005) console.log(`${line(t)}  ${name}`);
  console.log(`the ${top} heaviest functions:`);
  const function_ = ({ functionName, url }) => `${functionName || '(anonymous)'}  ${url.replace(/^.*\//, '')}`;
  for (const [name, t] of sums(profile, function_).slice(0, top)) console.log(`${line(t)}  ${name}`);
}

// What the program does, by the module's function names.
const DOES = [
  ['the step: pow and the arithmetic', /^(pow|dampedStep|checkint|specialcase|iterate)/],
  ['formatting a double: the stream and printf', /num_put|printf|pop_arg|fmt_|snprintf|widen|locale|sentry|ostream.*<<|pad_and_output|use_facet|getloc|uselocale|numpunct|ctype|out$|^pad$|^fmt/],
  ["writing: the C library's stdio", /fwrite|fwritex|stdio_write|writev|fflush|sync|overflow|flush|put\(char\)|towrite|fd_write|sn_write|memcpy|memset|xsputn|codecvt/],
];
const does = ({ functionName, url }) => {
  if (url.startsWith('wasm://')) return (DOES.find(([, pattern]) => pattern.test(functionName)) ?? ['the rest of the module'])[0];
  if (/wasi\.mjs|bytes\.mjs/.test(url) || /^wasm-to-js|^get buffer/.test(functionName)) {
    return 'the WASI layer: the calls out of the module';
  }
  if (url.includes('bench/profile')) return "the host: each piece taken, as the worker's";
  return functionName || '(the runtime)';
};

// The program's share, under Node.
const module = new WebAssembly.Module(readFileSync(named));
const session = new Session();
session.connect();
await session.post('Profiler.enable');
await session.post('Profiler.setSamplingInterval', { interval: 100 });
await session.post('Profiler.start');
let given = false;
const started = performance.now();
await run(module, {
  read: () => (given ? new Uint8Array(0) : ((given = true), new TextEncoder().encode(answers))),
  write: (fd, bytes) => (bytes.slice(), 0),
  close: () => 0,
});
const seconds = (performance.now() - started) / 1000;
const { profile: programProfile } = await session.post('Profiler.stop');
session.disconnect();
print(`the program in its worker (under Node), ${lines.toLocaleString('en')} lines`, programProfile, does, seconds);

// The page's thread, in Chromium.
const browser = await helpers.open();
const { page, url } = browser;
const cdp = await page.context().newCDPSession(page);
await cdp.send('Profiler.enable');
await cdp.send('Profiler.setSamplingInterval', { interval: 200 });
await page.goto(url);
await helpers.waitFor(page, 'waiting for input');
await helpers.screen(page).click();
await helpers.typeKeys(page, answers.slice(0, -1));
await cdp.send('Profiler.start');
const pageStarted = performance.now();
await page.keyboard.press('Enter');
await page.getByRole('status').filter({ hasText: 'waiting for input' }).waitFor({ timeout: 120000 });
const pageSeconds = (performance.now() - pageStarted) / 1000;
const { profile: pageProfile } = await cdp.send('Profiler.stop');
await browser.close();
const where = ({ url: script, functionName }) => {
  if (script.startsWith('wasm://')) return "the page's instance of the module (the picture's iterates)";
  if (script) return script.replace(/^.*\//, '');
  return functionName || '(anonymous)';
};
print("the page's thread in Chromium, from the last Enter", pageProfile, where, pageSeconds);
