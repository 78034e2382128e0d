// The runs of a session as the page follows them, from the program's own
// screen under Node: what the picture, the table and the plot read.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { session } from './program.mjs';

test('the built-in run: 62 iterate lines, then run 63 leaves the iterate unchanged', async () => {
  const runs = await session('n\n0\n0.5\n500\n', 5);
  assert.equal(runs.count, 62);
  assert.equal(runs.done, 63);
  assert.ok(runs.ended());
  assert.ok(runs.runs.every((run) => runs.followed(run)), 'every iterate the program printed is the one stepped to');
  assert.equal(runs.why(), 'run 63 left the iterate unchanged: Done after: 63 runs. Run 63: its damped step, 9.0e-17, '
    + 'is 0.41 of the gap to the next double down, 2.2e-16: under half a gap, x − step rounds back to x');
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
  assert.match(cycle.why(), /\. f\(x\) there is 3\.6e-15 and -3\.6e-15, rounding noise by the root, and the damped step is 3\.7 and 3\.7 gaps, never under half a gap, so every run moves the iterate$/);
  const wide = await session('n\n0\n1\n10\n');
  assert.match(wide.why(), /\. f\(x\) there is 2\.0 and 1\.0: the runs never come near the root$/);
});

test('a step of exactly half a gap: the hardware rounds the tie to the even double', async () => {
  const stays = await session('n\n1\n5.551115123125783e-17\n500\n');
  assert.equal(stays.why(), 'run 1 left the iterate unchanged: Done after: 1 runs. Run 1: its damped step, 5.6e-17, '
    + 'is exactly half the gap to the next double down, 1.1e-16: a tie, which the hardware rounds to the double whose '
    + 'last bit is even, here x itself');
  const moves = await session('n\n1.0000000000000002\n1.1102230246251578e-16\n3\n');
  const first = moves.bitsOf(moves.runs[0]);
  assert.deepEqual([first.gaps.size, first.gaps.tie, first.to.shortest], ['0.50', true, '1'],
    'from the odd double the tie goes to its even neighbour, 1');
  assert.equal(moves.bitsOf(moves.runs[1]).gaps.tie, false);
});

test('a new session forgets the last', async () => {
  const runs = await session('n\n0\n0.5\n500\n');
  const told = [];
  runs.onChange = (urgent) => told.push(urgent);
  runs.reset();
  assert.deepEqual([runs.count, runs.done, runs.runs.length, runs.why()], [0, null, 0, '']);
  assert.deepEqual(told, [true], 'the views are told at once');
});
