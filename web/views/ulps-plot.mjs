// The plot of how far each run moved the iterate, in ulps on a log scale,
// for the runs around the chosen one: a row below for the runs that moved it
// not at all, and one above for NaN; beside them the pace near the root, a
// factor |1 − λ| each run. Every count is the program's.
import { ulpWords } from '../runs/words.mjs';
import { Scale } from '../shared/scale.mjs';
import { element, leftMargin } from '../shared/svg.mjs';
import { Throttle } from '../shared/throttle.mjs';

// Runs in the plot, and how often it follows a run as it comes.
const PLOTTED = 100;
const REDRAW_MS = 500;
// The plot's size in its own units, and its margins.
const WIDTH = 520;
const HEIGHT = 220;
const MARGIN = { left: 44, right: 12, top: 12, bottom: 30 };
// The pace line starts at the first run that moves the iterate by at most
// this many ulps: by then the runs are near the root, where the theory holds.
const NEAR_ROOT = 1e6;

export class UlpsPlot {
  // plot: the SVG; plotCaption: what it shows, in words.
  constructor({ plot, plotCaption }, runs, program) {
    this.plot = plot;
    this.plotCaption = plotCaption;
    this.runs = runs;
    this.program = program;
    this.shownKey = '';
    this.redraw = new Throttle(REDRAW_MS, () => this.draw());
    plot.setAttribute('viewBox', `0 0 ${WIDTH} ${HEIGHT}`);
  }

  changed(urgent) {
    this.redraw.soon(urgent || this.runs.chosen !== null);
  }

  draw() {
    const { list, chosen } = this.runs.list();
    const first = Math.max(0, Math.min(chosen - Math.floor(PLOTTED / 2), list.length - PLOTTED));
    const plotted = list.slice(first, first + PLOTTED);
    const key = [plotted[0]?.number, plotted.length, list[chosen]?.number, this.runs.session].join(' ');
    if (key === this.shownKey) return;
    this.shownKey = key;
    for (const run of plotted) this.runs.bitsOf(run);
    this.drawRuns(plotted, list[chosen]);
  }

  // Each run's move on a log scale of ulps, from 1 up; below it a row for
  // the runs that moved it not at all, above it one for NaN.
  drawRuns(runs, chosen) {
    const svg = this.plot;
    svg.replaceChildren();
    // Before any run, no axis: it would be an axis of nothing.
    this.plotCaption.textContent = '';
    if (runs.length === 0) return;
    const frame = frameOf(runs);
    drawAxes(element('g', { class: 'axes' }, svg), frame);
    const { x } = frame;
    if (chosen && runs.includes(chosen)) {
      element('line', { x1: x.at(chosen.number), x2: x.at(chosen.number), y1: MARGIN.top, y2: HEIGHT - MARGIN.bottom,
        class: 'chosen-run' }, svg);
    }
    const points = element('g', { class: 'moves' }, svg);
    runs.forEach((run, k) => {
      const y = frame.yOf(frame.sizes[k]);
      if (y === null) return;
      const down = run.bits.ulps.startsWith('-');
      element('circle', {
        cx: x.at(run.number), cy: y, r: run === chosen ? 4.5 : 3,
        class: `move${down ? ' down' : ''}${run === chosen ? ' chosen' : ''}`,
        'data-run': run.number, 'data-ulps': run.bits.ulps,
      }, points);
    });
    const about = chosen?.bits ? `; run ${chosen.number} moved it ${ulpWords(chosen.bits.ulps)}` : '';
    const pace = this.drawPace(runs, frame);
    this.plotCaption.textContent = `How far each run moved the iterate, in ulps on a log scale, `
      + `runs ${runs[0].number} to ${runs.at(-1).number} (filled: up, hollow: down)${about}${pace}`;
  }

  // Near the root each run leaves about |1 − λ| of the error, so the moves
  // shrink by that factor a run: a straight line on the log scale, from the
  // first run near the root down to one ulp, where rounding takes over.
  drawPace(runs, { sizes, x, log }) {
    const { lambda, lambdaBits } = this.runs.read ?? {};
    const rate = Math.abs(1 - lambda);
    if (!(rate > 0 && rate < 1)) return '';
    const k = sizes.findIndex((size) => typeof size === 'number' && size >= 1 && size <= NEAR_ROOT);
    if (k < 0) return '';
    const from = runs[k].number;
    const decades = Math.log10(sizes[k]);
    const perRun = Math.log10(rate);
    const to = Math.min(runs.at(-1).number, from + decades / -perRun);
    if (to <= from) return '';
    element('line', {
      x1: x.at(from), y1: log.at(decades), x2: x.at(to), y2: log.at(decades + (to - from) * perRun), class: 'pace',
    }, this.plot);
    return `; dashed, the pace near the root: each run leaves |1 − λ| = ${this.program.pace(lambdaBits)} of the error`;
  }
}

// Where the plot's parts go for these runs: the runs across, the ulps on a
// log scale up, with the NaN row on top and the row of no move at the
// bottom, each set apart from the log scale by a rule.
function frameOf(runs) {
  const sizes = runs.map((run) => {
    const ulps = run.bits?.ulps;
    if (ulps === undefined) return null;
    return ulps === 'NaN' || ulps === '0' ? ulps : Number(ulps.slice(1));
  });
  const largest = Math.max(1, ...sizes.filter((size) => typeof size === 'number'));
  const decades = Math.max(1, Math.ceil(Math.log10(largest)));
  const nanY = MARGIN.top + 4;
  const zeroY = HEIGHT - MARGIN.bottom - 4;
  const every = Math.ceil(decades / 5);
  const powers = [];
  for (let d = 0; d <= decades; d += every) powers.push({ d, label: d <= 3 ? String(10 ** d) : `1e${d}` });
  const left = leftMargin([...powers.map(({ label }) => label), 'NaN'], MARGIN.left);
  const first = runs[0].number;
  const last = Math.max(runs.at(-1).number, first + 1);
  const x = new Scale([first, last], [left + 6, WIDTH - MARGIN.right - 6]);
  const log = new Scale([0, decades], [zeroY - 22, nanY + 22]);
  const yOf = (size) => (size === null ? null : size === 'NaN' ? nanY : size === '0' ? zeroY : log.at(Math.log10(size)));
  return { sizes, powers, left, x, log, yOf, nanY, zeroY };
}

function drawAxes(axes, { powers, left, x, log, nanY, zeroY }) {
  const right = WIDTH - MARGIN.right;
  for (const { d, label } of powers) {
    element('line', { x1: left, x2: right, y1: log.at(d), y2: log.at(d), class: 'grid' }, axes);
    element('text', { x: left - 6, y: log.at(d) + 4, 'text-anchor': 'end' }, axes).textContent = label;
  }
  for (const [y, label] of [[zeroY, '0'], [nanY, 'NaN']]) {
    element('text', { x: left - 6, y: y + 4, 'text-anchor': 'end' }, axes).textContent = label;
  }
  const [plotBottom, plotTop] = log.range;
  for (const y of [(nanY + plotTop) / 2, (zeroY + plotBottom) / 2]) {
    element('line', { x1: left, x2: right, y1: y, y2: y, class: 'axis' }, axes);
  }
  for (const { value, text } of x.ticks(4).filter(({ value }) => Number.isInteger(value))) {
    element('text', { x: x.at(value), y: HEIGHT - 10, 'text-anchor': 'middle' }, axes).textContent = text;
  }
}
