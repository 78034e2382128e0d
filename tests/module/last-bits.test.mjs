// The page's questions about the last bits, asked of the committed module:
// a cycle seen from inside it and traced back to where it began, NaN after
// an infinite iterate, and for every dialogue of tests/dialogues, that each
// iterate's shortest text is read back by the program as that very double.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { root, program } from './program.mjs';

// Each run from start as program.bits() tells it, up to and with the run
// that leaves the iterate unchanged.
function runs(start, lambda, limit) {
  const list = [];
  let x = start;
  for (let run = 1; run <= limit; run++) {
    list.push({ run, ...program.bits(x, lambda) });
    const next = program.step(x, lambda);
    if (next === x) break;
    x = next;
  }
  return list;
}

// The page's tests state what it says of the runs; these are what
// the page builds on and cannot show alone.
test('a cycle seen from inside it, where it began, and NaN after an infinite iterate', () => {
  // A window of runs that begins inside the cycle of start -2, λ 1.7.
  assert.deepEqual(program.ending(-1.769292354238631, 50, 1.7).cycle,
    { after: 0, period: 2, span: '4', byTheRoot: true, doubles: ['-0x1.c4f057fe848c6p+0', '-0x1.c4f057fe848cap+0'],
      fx: ['3.6e-15', '-3.6e-15'], gaps: ['3.7', '3.7'] });
  // Where it began, found from the start point with its period alone, once
  // the runs have been round it.
  assert.equal(program.cycleStart(-2, 2, 500, 1.7), 93);
  assert.equal(program.cycleStart(-2, 2, 95, 1.7), 93, 'seen once round by run 95');
  assert.equal(program.cycleStart(-2, 2, 94, 1.7), null, 'not yet seen round');
  assert.equal(program.cycleStart(0, 2, 10, 1), 0);
  // At the double nearest sqrt(2/3) f' is 0: -inf, then NaN, which is no cycle.
  assert.deepEqual(program.ending(0.816496580927726, 3, 0.5), { nan: 2, cycle: null });
  assert.equal(runs(0.816496580927726, 0.5, 1)[0].to.shortest, '-inf');
});

test("every dialogue's iterates read back from their shortest texts, and its Done run moves none", () => {
  const folder = join(root, 'tests', 'dialogues');
  const names = readdirSync(folder, { recursive: true }).filter((entry) => entry.endsWith('.in'));
  assert.ok(names.length > 40, 'the dialogues are there');
  // What the program's reads make of inf, nan and subnormal numbers is its
  // C++ library's (libc++ fails on subnormals): normal doubles only.
  const normal = (x) => Number.isFinite(x) && (x === 0 || Math.abs(x) >= 2 ** -1022);
  const readsBack = (text, x) => !normal(x) || Object.is(program.number(text), x);
  for (const name of names) {
    const read = program.read(readFileSync(join(folder, name)));
    const limit = Math.min(read.limit, 600);
    const list = runs(read.start, read.lambda, limit);
    let x = read.start;
    for (const { run, from, to } of list) {
      assert.ok(readsBack(from.shortest, x), `${name}, run ${run} from ${from.shortest}`);
      x = program.step(x, read.lambda);
      assert.ok(readsBack(to.shortest, x), `${name}, run ${run} to ${to.shortest}`);
    }
    const outcome = program.outcome(read.start, read.lambda, limit);
    assert.equal(list.at(-1)?.ulps === '0' ? list.length : 'no Done line', outcome > 0 ? outcome : 'no Done line', name);
  }
});
