// The page's questions about the last bits, asked of the committed module:
// the runs the README and the page speak of, as facts of IEEE double
// arithmetic worked out apart from this program (tests/last-bits-witness.py),
// and for every dialogue of tests/dialogues, that each
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

test('the built-in run: run 13 leaves the valley, and the last moves halve down to none', () => {
  const built = runs(0, 0.5, 500);
  assert.equal(built.length, 63);
  assert.deepEqual(built[12].to, { shortest: '-1.2994965211676668', hex: '-0x1.4cabcdd3ae4f8p+0' });
  assert.deepEqual(built[12].from, { shortest: '0.8587125427502232', hex: '0x1.b7a92b9f8dee9p-1' });
  assert.deepEqual(built.slice(-5).map((r) => r.ulps), ['-9', '-4', '-3', '-1', '0']);
  // Run 1 from 0: f(0) = 2, f'(0) = -2, the quotient -1, half of it -0.5.
  assert.deepEqual(built[0], {
    run: 1, from: { shortest: '0', hex: '0x0p+0' }, to: { shortest: '0.5', hex: '0x1p-1' },
    ulps: '+4602678819172646912', fx: '2', dfx: '-2', quotient: '-1', step: '-0.5',
  });
});

test('start -3, λ 0.25: a double at a time, then run 129 leaves the iterate unchanged', () => {
  const crept = runs(-3, 0.25, 500);
  assert.equal(crept.length, 129);
  assert.deepEqual(crept.slice(124).map((r) => r.ulps), ['+1', '+1', '+1', '+1', '0']);
  assert.equal(program.ending(-3, 128, 0.25).cycle, null, 'a run that ends is no cycle');
});

test('why no Done line comes: a cycle of two doubles, the undamped cycle, NaN, a run still moving', () => {
  assert.deepEqual(program.ending(-2, 500, 1.7), {
    nan: null,
    cycle: { after: 93, period: 2, span: '4', doubles: ['-0x1.c4f057fe848c6p+0', '-0x1.c4f057fe848cap+0'] },
  });
  // The cycle found in a window of runs that begins inside it.
  assert.deepEqual(program.ending(-1.769292354238631, 50, 1.7).cycle,
    { after: 0, period: 2, span: '4', doubles: ['-0x1.c4f057fe848c6p+0', '-0x1.c4f057fe848cap+0'] });
  // Where the cycle began, found from the start point with its period alone.
  assert.equal(program.cycleStart(-2, 2, 500, 1.7), 93);
  assert.equal(program.cycleStart(-2, 2, 95, 1.7), 93, 'seen once round by run 95');
  assert.equal(program.cycleStart(-2, 2, 94, 1.7), null, 'not yet seen round');
  assert.equal(program.cycleStart(0, 2, 10, 1), 0);
  // 1 is 0x3ff << 52 doubles from 0.
  assert.deepEqual(program.ending(0, 10, 1).cycle,
    { after: 0, period: 2, span: '4607182418800017408', doubles: ['0x0p+0', '0x1p+0'] });
  assert.deepEqual(program.ending(1e200, 5, 0.5), { nan: 1, cycle: null });
  // At the double nearest sqrt(2/3) f' is 0: -inf, then NaN.
  assert.deepEqual(program.ending(0.816496580927726, 3, 0.5), { nan: 2, cycle: null });
  assert.equal(runs(0.816496580927726, 0.5, 1)[0].to.shortest, '-inf');
  assert.deepEqual(program.ending(-3, 10, 0.25), { nan: null, cycle: null });
  assert.equal(runs(-3, 0.25, 10)[9].ulps, '+194875445265595');
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
