// The committed module's answers about the last bits against the same C++
// built natively (tests/last-bits.cpp, whose path is the argument): for every
// dialogue of tests/dialogues and the runs the page speaks of, each run's
// texts and counts, why the runs bring no Done line, and where a cycle they
// go round began, byte for byte. The
// native program runs on glibc's pow path without FMA, which rounds as the
// module's pow does.
// Usage: node tests/module/last-bits-native.test.mjs NATIVE-PROGRAM
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { root, program, nativeWithoutFma } from './program.mjs';

const native = process.argv[2];
// Runs looked at per case: a long NaN run says no more after a few.
const MOST = 600;

test('every run to the last bit, and why it ends, as the native build answers', () => {
  const folder = join(root, 'tests', 'dialogues');
  const cases = readdirSync(folder, { recursive: true }).filter((entry) => entry.endsWith('.in')).sort()
    .map((name) => program.read(readFileSync(join(folder, name))));
  assert.ok(cases.length > 40, 'the dialogues are there');
  cases.push(...[[-2, 1.7], [-3, 0.25], [0, 1], [1e200, 0.5], [0.816496580927726, 0.5], [5e-324, 1], [-0, 0.5]]
    .map(([start, lambda]) => ({ start, lambda, limit: 500 })));

  // Doubles cross as C's hexadecimal texts, which the module writes.
  const hex = (x) => program.bits(x, 0).from.hex;
  const input = cases.map(({ start, lambda, limit }) => `${hex(start)} ${hex(lambda)} ${Math.min(limit, MOST)}\n`).join('');
  const answered = nativeWithoutFma(native, input).split('\n');

  const asked = [];
  for (const { start, lambda, limit } of cases) {
    let x = start;
    let moved = 0;
    for (let run = 0; run < Math.min(limit, MOST); run++) {
      const b = program.bits(x, lambda);
      const { gaps } = b;
      asked.push([b.from.shortest, b.from.hex, b.to.shortest, b.to.hex, b.ulps, b.fx, b.dfx, b.quotient, b.step,
        gaps.fx, gaps.step, gaps.gap, gaps.size, gaps.down ? 'down' : 'up', gaps.tie ? 'tie' : ''].join('\t'));
      const next = program.step(x, lambda);
      if (next === x) break;
      x = next;
      moved++;
    }
    const { nan, cycle } = program.ending(start, moved, lambda);
    const steps = cycle ? cycle.fx.flatMap((fx, k) => [fx, cycle.gaps[k]]) : [];
    asked.push(['ending', nan ?? -1, cycle?.after ?? -1, cycle?.period ?? 0, cycle?.span ?? '',
      cycle?.byTheRoot ? 1 : 0, ...(cycle?.doubles ?? []),
      ...steps].join('\t'));
    if (cycle) asked.push(`cycle_start\t${program.cycleStart(start, cycle.period, moved, lambda) ?? -1}`);
    const stop = program.tolerance(start, lambda, Math.min(limit, MOST), 1.48e-8);
    asked.push(['tolerance', stop.run ?? 0, stop.iterate, stop.exact, stop.distance, stop.times, stop.left].join('\t'));
  }
  asked.push('');
  assert.equal(answered.length, asked.length, 'as many lines');
  answered.forEach((line, k) => assert.equal(asked[k], line, `line ${k + 1}`));
});
