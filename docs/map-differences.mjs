// Where the page's map differs from docs/run-count-map.png: every cell of the
// whole map as the page computes it (the committed module, whose pow is
// musl's) against the native program's last line for the cell's texts (the
// picture was drawn with glibc's pow on its path for CPUs with FMA). Prints
// each cell that differs, then how many do.
// Usage: node docs/map-differences.mjs PROGRAM   (e.g. build/damped-newton)
import { execFile } from 'node:child_process';
import { availableParallelism } from 'node:os';
import { promisify } from 'node:util';
import { program } from '../tests/module/program.mjs';
import { WHOLE, axisText } from '../web/map/grid.mjs';
import { Computation } from '../web/map/cells.mjs';
import { outcomeText } from '../web/module/outcome.mjs';

const native = process.argv[2];
const run = promisify(execFile);

async function printed(startText, lambdaText) {
  const child = run(native, { encoding: 'latin1' });
  child.child.stdin.end(`n\n${startText}\n${lambdaText}\n500\n`);
  const last = (await child).stdout.split('\n').at(-2);
  if (last.startsWith('Done after: ')) return last;
  return outcomeText(/nan|inf/.test(last) ? 'infinite' : 'finite');
}

const map = new Computation(program, WHOLE, 500);
while (map.next(Infinity, () => {}));
const cells = [];
for (let j = 0; j < map.rows; j++) for (let i = 0; i < map.columns; i++) cells.push([i, j]);

let differ = 0;
const work = async () => {
  for (let cell = cells.shift(); cell; cell = cells.shift()) {
    const [i, j] = cell;
    const texts = [axisText(WHOLE.start, i), axisText(WHOLE.lambda, j)];
    const page = outcomeText(map.known(i, j));
    const said = await printed(...texts);
    if (page !== said) {
      differ++;
      console.log(`start ${texts[0]}, λ ${texts[1]}: the page ${page}; the program ${said}`);
    }
  }
};
await Promise.all(Array.from({ length: availableParallelism() }, work));
console.log(`${differ} of ${map.cellCount} cells differ`);
