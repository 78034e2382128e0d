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

const native = process.argv[2];
const numbers = [0, ...ROUNDINGS.map(({ number }) => number)];

// Every cell's outcome for every rounding, as the helper prints them: the
// count on the Done line, else 0 for finite iterates and -1 for others.
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
          const outcome = program.outcome(start, lambda, 500, rounding);
          const coded = outcome === 'finite' ? 0 : outcome === 'infinite' ? -1 : outcome;
          if (coded !== expected[r][k]) {
            assert.fail(`${name}, rounding ${rounding}, start ${startTexts[i]}, λ ${lambdaTexts[j]}: `
              + `the module says ${outcome}, the native build ${expected[r][k]}`);
          }
          k++;
        }
      }
    });
  }
});

test('how many cells of the whole map each rounding changes, and the built-in run under each', () => {
  const [own, ...others] = nativeOutcomes(texts(WHOLE.start), texts(WHOLE.lambda), 500);
  const differ = others.map((outcomes) => outcomes.filter((outcome, k) => outcome !== own[k]).length);
  // products, fused, numerator, Horner's, single precision
  assert.deepEqual(differ, [9540, 1575, 1240, 8337, 19889]);
  assert.deepEqual(nativeOutcomes(['0'], ['0.5'], 500).flat(), [63, 64, 63, 63, 64, 34]);
});
