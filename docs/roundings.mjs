// The table of docs/rounding.md: for each other rounding of the step, the
// built-in run's last line and how many cells of the page's whole map (limit
// 500) end otherwise than with the program's step, as the committed module
// computes them, the page's map code laying out the cells.
// Usage: node docs/roundings.mjs
import { program } from '../tests/module/program.mjs';
import { WHOLE } from '../web/map/grid.mjs';
import { Computation } from '../web/map/cells.mjs';
import { outcomeText } from '../web/module/outcome.mjs';
import { ROUNDINGS } from '../web/module/roundings.mjs';

const whole = (rounding) => {
  const map = new Computation(program, WHOLE, 500, rounding);
  while (map.next(Infinity, () => {}));
  return map;
};

const own = whole(0);
console.log('| the step computed with | built-in run | cells whose outcome changes |');
console.log('| --- | --- | --- |');
for (const { number, label } of ROUNDINGS) {
  const map = whole(number);
  let differ = 0;
  for (let j = 0; j < map.rows; j++) for (let i = 0; i < map.columns; i++) differ += map.known(i, j) !== own.known(i, j);
  const builtIn = outcomeText(program.outcome(0, 0.5, 500, number));
  console.log(`| ${label} | ${builtIn} | ${differ.toLocaleString('en')} of ${own.cellCount.toLocaleString('en')} |`);
}
