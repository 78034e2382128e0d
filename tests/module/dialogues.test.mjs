// The page's questions against the program's screens: for every dialogue of
// tests/dialogues, what the page learns the program read, the iterates it
// steps to from there and their text, and the run's end are what the program
// printed, line for line.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readdirSync, readFileSync, existsSync } from 'node:fs';
import { join } from 'node:path';
import { root, program } from './program.mjs';

const folder = join(root, 'tests', 'dialogues');
const names = readdirSync(folder, { recursive: true })
  .filter((entry) => entry.endsWith('.in')).map((entry) => entry.slice(0, -'.in'.length)).sort();

test('every dialogue, as the page follows it', () => {
  assert.ok(names.length > 40, 'the dialogues are there');
  for (const name of names) {
    const input = readFileSync(join(folder, `${name}.in`));
    // The module's screens are libc++'s, where a dialogue has one.
    const screenFile = [`${name}.wasm.out`, `${name}.libc++.out`, `${name}.out`]
      .find((file) => existsSync(join(folder, file)));
    const lines = readFileSync(join(folder, screenFile), 'latin1').split('\n').slice(0, -1);
    const read = program.read(input);
    const dialogue = lines.indexOf('enter maxRuns int: ') + 1;
    const printed = lines.slice(dialogue ? dialogue + 1 : 1);
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
  for (const [text, read] of cases) assert.deepEqual(program.read(text), read, JSON.stringify(text));
  assert.equal(program.number('-3.125'), -3.125);
  assert.ok(Number.isNaN(program.number('words')));
});
