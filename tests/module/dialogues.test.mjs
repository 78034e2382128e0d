// The page's questions against the program's screens: for every dialogue of
// tests/dialogues, what the page learns the program read, the iterates it
// steps to from there and their text, and the run's end are what the program
// printed, line for line.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readdirSync, readFileSync, existsSync } from 'node:fs';
import { join } from 'node:path';
import { root, program, printedLines } from './program.mjs';

const folder = join(root, 'tests', 'dialogues');
const names = readdirSync(folder, { recursive: true })
  .filter((entry) => entry.endsWith('.in')).map((entry) => entry.slice(0, -'.in'.length)).sort();
// The module's screens are libc++'s, where a dialogue has one; on an arm64
// host, whose NaN has no sign, the arm64 ones where they differ.
const X86 = ['wasm', 'libc++'];
const platforms = process.arch === 'arm64' ? ['wasm-aarch64', 'aarch64', ...X86] : X86;
const screenOf = (name, among = platforms) => [...among.map((platform) => `${name}.${platform}.out`), `${name}.out`]
  .find((file) => existsSync(join(folder, file)));
const unsigned = (screen) => screen.replace(/^-nan$/gm, 'nan');

test('every dialogue, as the page follows it', () => {
  assert.ok(names.length > 40, 'the dialogues are there');
  for (const name of names) {
    const input = readFileSync(join(folder, `${name}.in`));
    const screenFile = screenOf(name);
    const read = program.read(input);
    const printed = printedLines(readFileSync(join(folder, screenFile), 'latin1'));
    const done = /^Done after: (\d+) runs$/.exec(printed.at(-1) ?? '');
    const iterates = done ? printed.slice(0, -1) : printed;

    let x = read.start;
    const stepped = iterates.map(() => {
      x = program.step(x, read.lambda);
      return program.format(x);
    });
    assert.deepEqual(stepped, iterates, name);
    assert.ok(iterates.length <= Math.max(read.limit, 0), `${name}: at most the limit read`);
    const outcome = program.outcome(read.start, read.lambda, read.limit);
    if (done) assert.equal(outcome, Number(done[1]), name);
    else assert.equal(outcome, /nan|inf/.test(iterates.at(-1) ?? String(read.start)) ? 'infinite' : 'finite', name);
  }
});

test('what the reads make of text, failed reads and the end of the text included', () => {
  const cases = [
    ['y\n', { start: 0, lambda: 0.5, limit: 500, dialogue: false, failed: null, toEnd: false }],
    ['n\n-2\n1\n10\n', { start: -2, lambda: 1, limit: 10, dialogue: true, failed: null, toEnd: false }],
    // The program would wait: the limit may go on.
    ['n\n-2\n1\n10', { start: -2, lambda: 1, limit: 10, dialogue: true, failed: null, toEnd: true }],
    ['n\nabc\n1\n10\n', { start: 0, lambda: 0.5, limit: 500, dialogue: true, failed: 'start', toEnd: false }],
    // libc++ reads hex, and stores the largest int where the limit overflows.
    ['n 0x10 1 99999999999\n', { start: 16, lambda: 1, limit: 2147483647, dialogue: true, failed: 'limit', toEnd: false }],
    ['', { start: 0, lambda: 0.5, limit: 500, dialogue: false, failed: null, toEnd: true }],
  ];
  for (const [text, read] of cases) {
    const got = program.read(text);
    assert.deepEqual(Object.fromEntries(Object.keys(read).map((key) => [key, got[key]])), read, JSON.stringify(text));
  }
  // What the page says and types back of a value read: the program's own
  // text, which it reads back as the same bits, sign of zero and NaN kept.
  for (const [typed, text, bits] of [
    // The module's C library reads "-nan" as a NaN without a sign.
    ['-0', '-0', 0x8000000000000000n], ['-nan', 'nan', 0x7ff8000000000000n],
    ['1e309', 'inf', 0x7ff0000000000000n], ['-1e-7', '-1e-07', null], ['0.1', '0.1', null],
  ]) {
    const read = program.read(`n\n0\n${typed}\n1\n`);
    assert.equal(read.lambdaText, text, typed);
    if (text !== 'inf') assert.equal(program.read(`n\n${typed}\n1\n1\n`).startText, text, typed);
    if (bits !== null) assert.equal(BigInt.asUintN(64, read.lambdaBits), bits, typed);
    assert.equal(program.read(`n\n0\n${text}\n1\n`).lambdaBits, read.lambdaBits, `${typed} read back`);
  }
  assert.equal(program.number('-3.125'), -3.125);
  assert.ok(Number.isNaN(program.number('words')));
});

test("arm64's screens are x86-64's with NaN unsigned, and nothing else", () => {
  const read = (file) => readFileSync(join(folder, file), 'latin1');
  const arm = names.filter((name) => existsSync(join(folder, `${name}.aarch64.out`)));
  assert.ok(arm.length >= 3, 'the arm64 build has screens of its own');
  for (const name of arm) assert.equal(read(`${name}.aarch64.out`), unsigned(read(`${name}.out`)), name);
  for (const name of names.filter((n) => existsSync(join(folder, `${n}.wasm-aarch64.out`)))) {
    assert.equal(read(`${name}.wasm-aarch64.out`), unsigned(read(screenOf(name, X86))), name);
  }
});
