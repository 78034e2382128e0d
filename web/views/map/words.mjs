// What the map says in words: a cell's outcome, or both outcomes where
// another rounding is compared; how far the computation has come; where the
// run on screen is; and the limit each cell is computed with.
import { outcomeText, changeOf, reasonText } from '../../module/outcome.mjs';
import { axisText } from '../../map/grid.mjs';

const count = (n) => n.toLocaleString('en');

export function cellWords(computation, rounding, [i, j]) {
  const { grid } = computation;
  const outcome = computation.known(i, j);
  const cell = `start ${axisText(grid.start, i)}, λ ${axisText(grid.lambda, j)}: `;
  // Where the limit came first to finite iterates, why, as the runs show it.
  if (!rounding) return cell + (outcome === 'finite' ? `no Done line, ${reasonText(computation.result(i, j))}` : outcomeText(outcome));
  if (!outcome) return `${cell}not computed yet`;
  return `${cell}the program: ${outcomeText(outcome.own)}; with ${rounding.label}: ${outcomeText(outcome.other)}`
    + ` (${changeOf(outcome)})`;
}

// mostRuns: the limit a cell is computed with at most, where the session's is
// beyond it.
export function progressWords({ done, cellCount, differ }, comparing, mostRuns) {
  const compared = !comparing ? `${count(done)} of ${count(cellCount)} cells`
    : done === cellCount ? `${count(differ)} of ${count(cellCount)} cells differ`
      : `${count(done)} of ${count(cellCount)} cells compared, ${count(differ)} differ so far`;
  return compared + (mostRuns ? `, each at most ${count(mostRuns)} runs` : '');
}

export function markWords(mark) {
  if (!mark) return '';
  const { startText, lambdaText, note } = mark;
  return `marked: the run of start ${startText}, λ ${lambdaText}${note ? `, ${note}` : ''}`;
}

export const limitWords = (limit) => `Each cell is its dialogue with the limit ${limit}, which a click types.`;
