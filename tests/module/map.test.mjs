// The map against the program: every cell of the whole map, and of a zoomed
// region, has the outcome that the console program prints when the cell's
// texts are typed into it. Each cell's screen comes from a run of the
// committed module, as a process would run it.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { program, screenOf } from './program.mjs';
import { WHOLE, axisOver, axisText } from '../../web/map/grid.mjs';
import { Computation, Comparison } from '../../web/map/cells.mjs';
import { outcomeText } from '../../web/module/outcome.mjs';

// The program's last line said as the map says a cell.
async function printed(startText, lambdaText, limit) {
  const lines = (await screenOf(`n\n${startText}\n${lambdaText}\n${limit}\n`)).split('\n');
  const last = lines.at(-2);
  if (last.startsWith('Done after: ')) return last;
  return /nan|inf/.test(last) ? 'no Done line, iterates infinite or NaN' : 'no Done line, iterates finite';
}

async function compare(grid, limit) {
  const computation = new Computation(program, grid, limit);
  while (computation.next(Infinity, () => {}));
  assert.equal(computation.done, computation.cellCount, 'every cell computed');
  const tally = new Map();
  const differ = [];
  for (let j = 0; j < computation.rows; j++) {
    for (let i = 0; i < computation.columns; i++) {
      const texts = [axisText(grid.start, i), axisText(grid.lambda, j)];
      const mapped = outcomeText(computation.known(i, j));
      const said = await printed(...texts, limit);
      if (mapped !== said) differ.push(`start ${texts[0]}, λ ${texts[1]}: map ${mapped}, program ${said}`);
      const kind = mapped.replace(/\d+ runs/, 'N runs');
      tally.set(kind, (tally.get(kind) ?? 0) + 1);
    }
  }
  assert.deepEqual(differ, []);
  return Object.fromEntries(tally);
}

test('every cell of the whole map is what the program prints', async () => {
  assert.equal(WHOLE.start.count * WHOLE.lambda.count, 25359);
  assert.equal(axisText(WHOLE.start, 35), '-3.125');
  assert.equal(axisText(WHOLE.lambda, 8), '0.25');
  const tally = await compare(WHOLE, 500);
  console.log('whole map:', tally);
  // Not all alike: the map shows each way a run can end.
  assert.ok(tally['Done after: N runs'] > 10000 && tally['no Done line, iterates finite'] > 1000);
});

test('every cell of a zoomed region, to finer texts, with a limit of 200', async () => {
  // Round the hump, where λ near 1.225 leaves starts without a Done line.
  const grid = { start: axisOver(-1.3, -0.3, WHOLE.start.count), lambda: axisOver(1.1, 1.35, WHOLE.lambda.count) };
  assert.equal(axisText(grid.start, 1), '-1.2975');
  assert.equal(axisText(grid.lambda, 1), '1.1025');
  const tally = await compare(grid, 200);
  console.log('zoomed:', tally);
  assert.ok(tally['no Done line, iterates finite'] > 0 && tally['Done after: N runs'] > 0);
});

test('jobs cut short hand the rest out again: every cell once, in the same order and the same as whole jobs', () => {
  const grid = { start: axisOver(-1.3, -0.3, 41), lambda: axisOver(1.1, 1.35, 21) };
  const single = 5;
  // Each cell as it is told, in the order told.
  const told = (computation, until) => {
    const cells = [];
    while (computation.next(until, (i, j, size, outcome) => cells.push(JSON.stringify([i, j, size, outcome]))));
    return cells;
  };
  const whole = told(new Comparison(new Computation(program, grid, 200), new Computation(program, grid, 200, single)),
    Infinity);
  // A time already past: each job computes its coarsest cells, or else one
  // cell, and puts the rest back.
  const cut = new Comparison(new Computation(program, grid, 200), new Computation(program, grid, 200, single));
  assert.deepEqual(told(cut, 0), whole);
  assert.equal(cut.done, cut.cellCount);
  assert.equal(new Set(whole).size, cut.cellCount, 'each cell told once');
  assert.ok(cut.differ > 0 && cut.differ < cut.cellCount, `${cut.differ} cells differ`);
});
