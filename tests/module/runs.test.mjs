// The runs of a session as the page follows them, from the program's own
// screen under Node: what the picture, the table and the plot read.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { program, screenOf } from './program.mjs';
import { Runs } from '../../web/runs/runs.mjs';
import { Typed } from '../../web/runs/typed.mjs';

const utf8 = new TextEncoder();

// A dialogue typed as the page types it, its screen written in pieces of
// `piece` bytes, each followed as a frame would follow it.
async function session(input, piece = 7) {
  const runs = new Runs(program);
  const typed = new Typed(program, false);
  for (const line of input.match(/[^\n]*\n/g)) {
    const read = typed.add(line);
    if (read) runs.setRead(read);
  }
  const read = typed.add(null);
  if (read) runs.setRead(read);
  const bytes = utf8.encode(await screenOf(input));
  for (let at = 0; at < bytes.length; at += piece) {
    runs.add(bytes.subarray(at, at + piece));
    runs.update();
  }
  return runs;
}

test('the built-in run: 62 iterate lines, then run 63 leaves the iterate unchanged', async () => {
  const runs = await session('n\n0\n0.5\n500\n', 5);
  assert.equal(runs.count, 62);
  assert.equal(runs.done, 63);
  assert.ok(runs.ended());
  assert.ok(runs.runs.every((run) => runs.followed(run)), 'every iterate the program printed is the one stepped to');
  assert.equal(runs.why(), 'run 63 left the iterate unchanged: Done after: 63 runs');
  const { list, chosen } = runs.list();
  assert.equal(list.at(-1).text, 'Done after: 63 runs');
  assert.equal(chosen, list.length - 1);
});

test('stepping and choosing: the Done run ends the stepping, a run kept is chosen', async () => {
  const runs = await session('n\n0\n0.5\n500\n');
  runs.step(-1);
  assert.equal(runs.chosen.number, 62);
  runs.step(-5);
  assert.equal(runs.chosen.number, 57);
  runs.step(-100);
  assert.equal(runs.chosen.number, 1, 'stepping stops at the first run kept');
  runs.chooseRow(runs.list().list.at(-1));
  assert.equal(runs.chosen, null, 'the row of the Done line follows the run again');
  runs.chooseNumber(7);
  assert.equal(runs.chosen.number, 7);
  assert.equal(runs.bitsOf(runs.chosen).to.hex, runs.bitsOf(runs.runs[7]).from.hex, 'run 7 lands where run 8 starts');
});

test('NaN from the start, the limit, and a cycle of two doubles', async () => {
  const nan = await session('n\n1e200\n0.5\n5\n');
  assert.equal(nan.count, 5);
  assert.equal(nan.done, null);
  assert.equal(nan.firstNaN, 1);
  assert.deepEqual(nan.notDrawn, [{ first: 1, last: 5, text: '-nan' }]);
  assert.match(nan.why(), /^from run 1 on the iterate is NaN, .*all 5 runs to the limit$/);

  const cycle = await session('n\n-2\n1.7\n1000\n', 4096);
  assert.equal(cycle.count, 1000);
  assert.match(cycle.why(), /the iterate alternates between two doubles 4 ulps apart/);
});

test('a new session forgets the last', async () => {
  const runs = await session('n\n0\n0.5\n500\n');
  const told = [];
  runs.onChange = (urgent) => told.push(urgent);
  runs.reset();
  assert.deepEqual([runs.count, runs.done, runs.runs.length, runs.why()], [0, null, 0, '']);
  assert.deepEqual(told, [true], 'the views are told at once');
});
