// Where the map's parts go on its canvas, in CSS pixels: the plot with its
// two scales and ticks, and the legend's rows. Measured once for each size,
// grid and legend, and kept until one of them changes.
import { Scale } from '../../shared/scale.mjs';
import { CHANGES, REASONS } from '../../module/outcome.mjs';
import { extent } from '../../map/grid.mjs';

export const MARGIN = { left: 46, right: 12, top: 10, bottom: 58 };
// The legend's swatches take as many rows of LEGEND_ROW as their labels
// need: a comparison's changes, or below the palette why no Done line came.
export const LEGEND_ROW = 18;
export const SWATCH = 12;  // the legend's bar and swatches, below the start axis

// measure(text): a text's width in the map's font.
export function layoutOf({ width, height, grid, comparing, measure }) {
  const { x, y } = extent(grid);
  const swatches = swatchesLayout(comparing ? CHANGES : [...REASONS, 'inf/NaN'], width, measure);
  const rows = swatches.at(-1).row + 1 + !comparing;
  const plotHeight = height - MARGIN.top - MARGIN.bottom - (rows - 1) * LEGEND_ROW;
  const lambda = new Scale(y, [MARGIN.top + plotHeight, MARGIN.top]);
  const lambdaTicks = lambda.ticks(Math.max(2, Math.floor(plotHeight / 30)));
  // Room on the left for the widest λ label; as many start labels as fit.
  const left = Math.max(MARGIN.left, 26 + Math.max(...lambdaTicks.map(({ text }) => measure(text))));
  const plotWidth = width - left - MARGIN.right;
  const start = new Scale(x, [left, left + plotWidth]);
  let startTicks;
  for (let count = Math.max(2, Math.floor(plotWidth / 70)); count >= 1; count--) {
    startTicks = start.ticks(count);
    const widest = Math.max(...startTicks.map(({ text }) => measure(text)));
    if (startTicks.length * (widest + 12) <= plotWidth) break;
  }
  return { width, height, left, top: MARGIN.top, plotWidth, plotHeight, start, lambda,
           startTicks, lambdaTicks, swatches, columns: grid.start.count, rows: grid.lambda.count };
}

// The cell [i, j] under a point of the canvas, or null; and a cell's box.
export function cellAtPoint(layout, { x, y }) {
  const { left, top, plotWidth, plotHeight, columns, rows } = layout;
  const i = Math.floor(((x - left) / plotWidth) * columns);
  const j = rows - 1 - Math.floor(((y - top) / plotHeight) * rows);
  return i >= 0 && i < columns && j >= 0 && j < rows ? [i, j] : null;
}

export function cellBox(layout, [i, j]) {
  const { left, top, plotWidth, plotHeight, columns, rows } = layout;
  const width = plotWidth / columns;
  const height = plotHeight / rows;
  return { x: left + i * width, y: top + (rows - 1 - j) * height, width, height };
}

// The legend's room: from the left margin of the whole map to the edge,
// wherever wide λ labels put the plot.
export const legendWidth = (width) => width - MARGIN.left - 4;

// Where the legend puts each label's swatch, in rows no wider than the
// legend's room: [{ label, x, row }].
function swatchesLayout(labels, width, measure) {
  const room = legendWidth(width);
  const layout = [];
  let [x, row] = [0, 0];
  for (const label of labels) {
    const wide = SWATCH + 4 + measure(label);
    if (x > 0 && x + wide > room) [x, row] = [0, row + 1];
    layout.push({ label, x, row });
    x += wide + 14;
  }
  return layout;
}
