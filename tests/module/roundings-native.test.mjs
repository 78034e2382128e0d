// The other roundings of the step as the committed module computes them
// under Node, against the same C++ built natively (tests/roundings.cpp, whose
// path is the argument), cell for cell over the page's whole map and a zoomed
// region of it; and, from the native build, how many of the whole map's
// cells each rounding changes and where the built-in values end, as
// docs/rounding.md states them. The native build runs on glibc's pow path
// without FMA, which rounds as the module's pow does.
// Usage: node tests/module/roundings-native.test.mjs NATIVE-HELPER
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { program, nativeWithoutFma } from './program.mjs';
import { WHOLE, axisText, axisOver } from '../../web/map/grid.mjs';
import { ROUNDINGS } from '../../web/module/roundings.mjs';
import { outcomeOf, reasonOf } from '../../web/module/outcome.mjs';

const native = process.argv[2];
const numbers = [0, ...ROUNDINGS.map(({ number }) => number)];

// Every cell's outcome for every rounding, as the helper prints them: the
// count on the Done line; where the limit came first, -1 for iterates
// infinite or NaN, and for finite ones why (web/module/outcome.mjs).
function nativeOutcomes(startTexts, lambdaTexts, limit) {
  const lines = nativeWithoutFma(native, `${startTexts.join(' ')}\n${lambdaTexts.join(' ')}\n${limit}\n`)
    .trim().split('\n');
  assert.equal(lines.length, numbers.length, 'a line for each rounding');
  return lines.map((line) => line.split(' ').map(Number));
}

const texts = (axis) => Array.from({ length: axis.count }, (_, k) => axisText(axis, k));

test("each rounding's map under Node is the native build's, cell for cell", () => {
  const zoomed = { start: axisOver(-0.3, 0.5, 321), lambda: axisOver(0.3, 0.7, 79) };
  for (const [name, grid] of [['whole map', WHOLE], ['zoomed', zoomed]]) {
    const [startTexts, lambdaTexts] = [texts(grid.start), texts(grid.lambda)];
    const expected = nativeOutcomes(startTexts, lambdaTexts, 500);
    const starts = startTexts.map((text) => program.number(text));
    const lambdas = lambdaTexts.map((text) => program.number(text));
    numbers.forEach((rounding, r) => {
      let k = 0;
      for (const [j, lambda] of lambdas.entries()) {
        for (const [i, start] of starts.entries()) {
          const [answer] = program.outcomes(Int32Array.of(rounding), Float64Array.of(start, lambda), 500);
          if (answer !== expected[r][k]) {
            assert.fail(`${name}, rounding ${rounding}, start ${startTexts[i]}, λ ${lambdaTexts[j]}: `
              + `the module says ${answer}, the native build ${expected[r][k]}`);
          }
          k++;
        }
      }
    });
  }
});

test('how many cells of the whole map each rounding changes, and the built-in run under each', () => {
  // A change of outcome, not of why a finite run went on.
  const [own, ...others] = nativeOutcomes(texts(WHOLE.start), texts(WHOLE.lambda), 500)
    .map((answers) => answers.map(outcomeOf));
  const differ = others.map((outcomes) => outcomes.filter((outcome, k) => outcome !== own[k]).length);
  // products, fused, numerator, Horner's, single precision
  assert.deepEqual(differ, [9540, 1575, 1240, 8337, 19889]);
  assert.deepEqual(nativeOutcomes(['0'], ['0.5'], 500).flat(), [63, 64, 63, 63, 64, 34]);
});

test('why the limit comes first, by the λ rows of the whole map', () => {
  const answers = nativeOutcomes(texts(WHOLE.start), texts(WHOLE.lambda), 500)[0];
  const lambdas = texts(WHOLE.lambda);
  const rows = new Map();  // λ, then how many cells end each way
  answers.forEach((answer, k) => {
    const why = answer > 0 ? 'Done' : answer === -1 ? 'inf/NaN'
      : answer <= -3 ? `by the root, ${-3 - answer} ulps` : reasonOf(answer);
    const row = rows.get(lambdas[Math.floor(k / WHOLE.start.count)]) ?? {};
    row[why] = (row[why] ?? 0) + 1;
    rows.set(lambdas[Math.floor(k / WHOLE.start.count)], row);
  });
  // As tests/last-bits-witness.py finds them in Python's floats.
  assert.deepEqual(rows.get('0.1'), { Done: 233, 'still moving': 88 });
  assert.deepEqual(rows.get('1'), { Done: 259, 'wider cycle': 62 });
  assert.deepEqual(rows.get('1.7'), { 'by the root, 4 ulps': 321 });
  assert.deepEqual(rows.get('2'), { 'still moving': 321 });
  // The four reasons, each in its own band of λ.
  const where = (why) => lambdas.filter((lambda) => Object.keys(rows.get(lambda)).some((key) => key.startsWith(why)));
  assert.deepEqual(where('wider cycle'), ['1']);
  assert.deepEqual(where('by the root'), lambdas.filter((lambda) => lambda >= 1.625 && lambda <= 1.925));
  assert.deepEqual(where('still moving'),
    ['0.05', '0.075', '0.1', '0.125', '0.15', '0.175', '0.2', '0.225', '0.25', '0.975', '1.225', '1.95', '1.975', '2']);
});
