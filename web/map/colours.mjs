// The map's colours: the count on the Done line on a log scale from 1 run
// to the limit, in the README's palette; greys for why no Done line came and
// red for NaN; and one colour for each change another rounding makes.
import { changeOf, reasonOf } from '../module/outcome.mjs';

// Stops of the palette, from 1 run (0) to the limit (1), linear in the log.
export const PALETTE = [[0, 0xfde725], [0.25, 0x5ec962], [0.5, 0x21918c], [0.75, 0x3b528b], [1, 0x440154]];
export const RED = [214, 39, 40];
// Where the limit came first to a finite iterate, by why (reasonOf).
export const REASON_COLOURS = {
  'still moving': [190, 190, 190], 'cycle by the root': [110, 110, 110], 'wider cycle': [232, 232, 232],
};
export const CHANGE_COLOURS = {
  'the same': [236, 236, 230], 'more runs': [33, 102, 172], 'fewer runs': [230, 97, 1],
  'Done line gained': [27, 120, 55], 'Done line lost': [118, 42, 131], 'another end': [214, 39, 40],
};

const rgb = (hex) => [hex >> 16, (hex >> 8) & 255, hex & 255];

// A cell's [r, g, b]: of its outcome, with the module's answer that says why
// no Done line came, or of a comparison's { own, other }.
export function colour(outcome, limit, result) {
  if (typeof outcome === 'object') return CHANGE_COLOURS[changeOf(outcome)];
  if (outcome === 'finite') return REASON_COLOURS[reasonOf(result) ?? 'still moving'];
  if (outcome === 'infinite') return RED;
  const t = Math.min(1, Math.log(outcome) / Math.log(Math.max(limit, 2)));
  const k = PALETTE.findIndex(([at]) => at >= t);
  if (k <= 0) return rgb(PALETTE[0][1]);
  const [a, from] = PALETTE[k - 1];
  const [b, to] = PALETTE[k];
  const share = (t - a) / (b - a);
  return rgb(from).map((c, n) => Math.round(c + (rgb(to)[n] - c) * share));
}

export const css = ([r, g, b]) => `rgb(${r},${g},${b})`;
