// Two of the roundings the page sets beside the program's are what real
// builds print, dialogue by dialogue: the cube and square as products are
// the Windows build's screens (NAME.mingw-w64.out, else NAME.out, which that
// build is held to under Wine), and the fused multiply-add is what GCC's
// build of the program prints with contraction allowed and -march=native
// (the argument, if given), run here on glibc's pow path without FMA, which
// rounds as the module's pow does. A dialogue whose reads libc++ (the
// module's) and libstdc++ (those builds') make differently is left out: there
// the program's own lines from the module's reads are not the screen's.
// Usage: node tests/module/roundings-builds.test.mjs [CONTRACTED-PROGRAM]
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { existsSync, readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { root, program, nativeWithoutFma, printedLines as printed } from './program.mjs';

const contracted = process.argv[2];
const folder = join(root, 'tests', 'dialogues');
const PRODUCTS = 1;
const FUSED = 2;

// The lines the rounding's run prints, from what the module read.
function linesOf(rounding, { start, lambda, limit }) {
  const lines = [...program.iterates(rounding, start, lambda, limit)].map((x) => program.format(x));
  const outcome = program.outcome(start, lambda, limit, rounding);
  return outcome > 0 ? [...lines, `Done after: ${outcome} runs`] : lines;
}

// Each dialogue the module reads as libstdc++ does, with what it read.
const dialogues = readdirSync(folder, { recursive: true }).filter((entry) => entry.endsWith('.in')).sort()
  .map((entry) => {
    const name = entry.slice(0, -'.in'.length);
    const input = readFileSync(join(folder, entry));
    return { name, input, read: program.read(input) };
  })
  .filter(({ name, read }) => {
    const screen = readFileSync(join(folder, `${name}.out`), 'latin1');
    return JSON.stringify(printed(screen)) === JSON.stringify(linesOf(0, read));
  });

test('the products are the Windows screens', () => {
  assert.ok(dialogues.length > 35, `${dialogues.length} dialogues read alike`);
  let apart = 0;
  for (const { name, read } of dialogues) {
    const windows = [`${name}.mingw-w64.out`, `${name}.out`].find((file) => existsSync(join(folder, file)));
    // Windows writes NaN without its sign.
    const expected = printed(readFileSync(join(folder, windows), 'latin1'));
    const lines = linesOf(PRODUCTS, read).map((line) => line.replace(/^-nan$/, 'nan'));
    assert.deepEqual(lines, expected, name);
    if (windows.includes('mingw-w64')) apart++;
  }
  assert.ok(apart >= 4, 'screens where the products part from the program are among them');
});

test('the fused multiply-add is GCC with contraction and -march=native', (t) => {
  if (!contracted) return t.skip('no contracted build: GCC makes it, without sanitizers, which change what it fuses');
  const flags = readFileSync('/proc/cpuinfo', 'latin1');
  if (!/^flags\s*:.*\bfma\b/m.test(flags)) return t.skip('this CPU has no FMA, so -march=native fuses nothing');
  // Beyond the dialogues, cells of the map where the fused count differs.
  const cells = [['-0.025', '0.575'], ['0.1', '0.475']].map(([start, lambda]) => {
    const input = `n\n${start}\n${lambda}\n500\n`;
    return { name: `start ${start}, λ ${lambda}`, input, read: program.read(input) };
  });
  let apart = 0;
  for (const { name, input, read } of [...dialogues, ...cells]) {
    const screen = nativeWithoutFma(contracted, input);
    const lines = linesOf(FUSED, read);
    assert.deepEqual(lines, printed(screen), name);
    if (JSON.stringify(lines) !== JSON.stringify(linesOf(0, read))) apart++;
  }
  assert.ok(apart >= 5, `${apart} screens where the fused step parts from the program's`);
});
