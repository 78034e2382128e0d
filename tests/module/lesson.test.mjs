// The lesson as a learner reads it: each step's dialogue typed into a fresh
// session, and the sentences that come once its runs end, word for word. Every
// figure in them is one tests/last-bits-witness.py works out in Python's floats.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { program, session } from './program.mjs';
import { Lesson, STEPS, dialogueOf, toleranceText } from '../../web/runs/lesson.mjs';

async function stepSays(index) {
  const lesson = new Lesson();
  lesson.go(index);
  const runs = await session(dialogueOf(lesson.step), 64);
  return lesson.says(runs, program);
}

test('the seven steps, in order, each with its dialogue', () => {
  assert.deepEqual(STEPS.map(({ name, start, lambda }) => `${name}: ${start} ${lambda}`), [
    'the exact stop: 0 0.5', 'the undamped cycle: 0 1', 'damping sets the pace: -3 0.25', 'overshooting: -2 1.5',
    'never settling: -2 1.7', 'what a tolerance would do: 0 0.5', 'every rounding decides: 0 0.5',
  ]);
  const lesson = new Lesson();
  const went = [];
  lesson.onGo = (step, index) => went.push(index);
  lesson.next();
  lesson.previous();
  lesson.go(99);
  lesson.next();
  assert.deepEqual(went, [0, 0, 6, 6], 'Previous stops at the first step and Next at the last');
  assert.ok(lesson.onScreen('n\n0\n0.5\n500\n'));
  assert.ok(!lesson.onScreen('n\n0\n0.5\n500\n7\n'), 'once more is typed, the session is no longer the step\'s');
});

test('1, the exact stop: why run 63 leaves the iterate where it was', async () => {
  assert.deepEqual(await stepSays(0), [
    'From 0 with λ 0.5 the program prints 62 iterate lines, then "Done after: 63 runs".',
    'The last 35 lines all show -1.76929, yet every one of those runs moved the iterate: the last four by 9, 4, 3, 1 ulps. '
      + 'The table of runs shows each double to the last bit.',
    'Run 63 moves it not at all, though f(x) there is 1.3e-15, not 0.',
    'Why: its damped step, 9.0e-17, is 0.41 of the gap to the next double down, 2.2e-16: under half a gap, '
      + 'x − step rounds back to x.',
  ]);
});

test('2, the undamped cycle: 0, 1, 0, 1 to the limit', async () => {
  assert.deepEqual(await stepSays(1), [
    'With λ 1 each run takes the whole Newton step: it follows the tangent at x down to the axis.',
    'From 0 the tangent meets the axis at 1, and from there at 0: the iterate goes to and fro. '
      + 'f(x) is 2.0 and 1.0 at those two points, far from 0.',
    'No run leaves x unchanged, so no Done line comes, and the runs go on to the limit of 500 runs.',
    'Step through the runs on the picture with ← and →.',
  ]);
});

test('3 and 4, the pace: |1 − λ| a run, and past the root above λ 1', async () => {
  assert.deepEqual(await stepSays(2), [
    'Near the root each run leaves about |1 − λ| of the error: 0.75 at λ 0.25.',
    'In the plot the moves shrink by that factor each run, along the dashed line, until they are a few ulps and rounding takes over.',
    'From -3, λ 0.25 needs 129 runs. λ 0.5 needs 55 runs, and λ 1 needs 7 runs.',
  ]);
  assert.deepEqual(await stepSays(3), [
    'With λ 1.5, above 1, each run steps past the root.',
    'Near it 1 − λ is negative: the error changes sign every run, and shrinks by |1 − λ| = 0.50.',
    'In the plot the moves go up (filled) and down (hollow) in turn: of the last 20 runs, 10 went up and 10 down.',
    'Done after: 51 runs.',
  ]);
});

test('5, never settling: two doubles by the root, the step 3.7 gaps from each', async () => {
  assert.deepEqual(await stepSays(4), [
    'From -2 with λ 1.7 the runs come to the root, and then never stop.',
    'From run 93 on the iterate goes to and fro between two doubles, 4 ulps apart.',
    'At them f(x) is 3.6e-15 and -3.6e-15: rounding noise, not 0. The damped step is 3.7 and 3.7 gaps, '
      + 'never under half a gap, so every run moves the iterate.',
    'The limit, 500 runs, ends the runs: no Done line.',
  ]);
});

test('6, a tolerance: where SciPy\'s would stop, and how far that is from the exact stop', async () => {
  assert.deepEqual(await stepSays(5), [
    'Most programs stop at a tolerance instead: once a run moves x by at most tol. SciPy\'s newton has tol = 1.48e-08.',
    'From 0 with λ 0.5 it stops at run 37, at -1.7692923459934788.',
    'The exact stop goes on to run 63, at -1.7692923542386312: the tolerance stopped 8.2e-9 away, 0.56 times the tolerance.',
    'Near the root a run leaves about (1 − λ)/λ = 1.0 times its step still to go, so a small step is not a small error.',
    'Try another tolerance in the panel.',
  ]);
  // Damped harder, the same tolerance stops further off.
  for (const [input, stated] of [
    ['n\n-3\n0.25\n500\n', 'stops at run 63, at -1.7692923962149711. The exact stop goes on to run 129, at '
      + '-1.7692923542386316: the tolerance stopped 4.2e-8 away, 2.8 times the tolerance. Near the root a run leaves '
      + 'about (1 − λ)/λ = 3.0 times its step'],
    ['n\n0\n0.1\n500\n', 'stops at run 151, at -1.76929222992446. The exact stop goes on to run 328, at '
      + '-1.7692923542386305: the tolerance stopped 1.2e-7 away, 8.4 times the tolerance. Near the root a run leaves '
      + 'about (1 − λ)/λ = 9.0 times its step'],
  ]) {
    const runs = await session(input, 4096);
    const stop = program.tolerance(runs.read.startBits, runs.read.lambdaBits, runs.done, 1.48e-8);
    assert.ok(toleranceText(runs, stop).join(' ').includes(stated), input);
  }
});

test('7, every rounding decides: 64 runs with products, 34 in single precision', async () => {
  assert.deepEqual(await stepSays(6), [
    'The stop test compares exactly, so every rounding in the step decides the count. The program needs 63 runs here.',
    'With the cube and the square as products, as Windows\' pow forms them, the same dialogue needs 64 runs. '
      + 'With fused multiply-adds it needs 63 runs; in single precision, 34 runs.',
    'Under "Map shows", the map shows where each rounding changes the count.',
  ]);
});
