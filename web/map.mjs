// The map: for every start point and λ of a grid, where the program's run
// ends, coloured as the README's map: the count on the Done line on a log
// scale, grey where the limit came first with finite iterates, red where they
// became infinite or NaN. Each cell is a dialogue: its start point and λ are
// decimal texts, read as the program reads them, and its outcome is the
// program's own iteration (web/program.mjs). It is computed in slices, coarse
// cells first, so that the page keeps answering; it can be pointed at, moved
// over by keys, clicked to run a cell, and zoomed. It can show instead where
// another rounding of the step (web/roundings.mjs) changes each outcome.

import { outcomeOf } from './program.mjs';
import { nextTurn } from './turn.mjs';

// An axis of the grid: count values first + k · step, in units of 10^-digits,
// so that each value's text is exact.
export const WHOLE = {
  start: { first: -4000, step: 25, count: 321, digits: 3 },
  lambda: { first: 50, step: 25, count: 79, digits: 3 },
};
// A zoomed axis has about as many cells, down to steps of 10^-FINEST.
const FINEST = 12;

// The text of first + k · step: a decimal with no trailing zeros.
export function axisText(axis, k) {
  const units = axis.first + k * axis.step;
  const digits = String(Math.abs(units)).padStart(axis.digits + 1, '0');
  const whole = digits.slice(0, digits.length - axis.digits);
  const fraction = digits.slice(digits.length - axis.digits).replace(/0+$/, '');
  return `${units < 0 ? '-' : ''}${whole}${fraction ? `.${fraction}` : ''}`;
}

const axisValue = (axis, k) => (axis.first + k * axis.step) / 10 ** axis.digits;

// Of the steps m · 10^power, m one of mantissas and 10^power the power of
// ten at or below raw, the nearest to raw on a log scale: [m, power].
function nearestStep(raw, mantissas) {
  const power = Math.floor(Math.log10(raw));
  const [mantissa] = mantissas
    .map((m) => [m, Math.abs(Math.log((m * 10 ** power) / raw))])
    .reduce((best, next) => (next[1] < best[1] ? next : best));
  return [mantissa, power];
}

// An axis over [low, high] with about `count` values, a step of 1, 2, 2.5 or
// 5 times a power of ten, whichever comes nearest.
export function axisOver(low, high, count) {
  const raw = Math.max((high - low) / (count - 1), 10 ** -FINEST);
  const [mantissa, power] = nearestStep(raw, [1, 2, 2.5, 5, 10]);
  const digits = Math.max(0, -power + (mantissa === 2.5) - (mantissa === 10));
  const scale = 10 ** digits;
  const step = Math.round(mantissa * 10 ** power * scale);
  // Rounded first: low · scale may miss a whole number by a rounding.
  const first = Math.ceil(Math.round(low * scale * 1e3) / 1e3 / step) * step;
  const last = Math.floor(Math.round(high * scale * 1e3) / 1e3 / step) * step;
  return { first, step, count: Math.max(1, (last - first) / step + 1), digits };
}

// Cells handed out together, to the page's workers (web/map-workers.mjs) or to
// its own instance of the module: for each, the computation it is for and
// where it is, and the start, λ and rounding it is computed with. A job is
// computed for as long as it may take, and the cells it did not come to go
// back to be handed out again: however long its cells take, and a cell that
// ends in 3 runs may lie beside one that runs to the limit, no job holds a
// worker or the page longer than a cell past its time. Only the coarsest
// cells, which cover the map until the finer come, are computed whole: a map
// left for another is left with no gap.
class Job {
  constructor(limit, entries) {
    this.entries = entries;
    this.limit = limit;
    this.atLeast = Math.max(1, entries.filter(({ size }) => size === COARSEST).length);
    this.points = new Float64Array(2 * entries.length);
    this.roundings = new Int32Array(entries.length);
    entries.forEach(({ computation, i, j }, k) => {
      this.points[2 * k] = computation.starts[i];
      this.points[2 * k + 1] = computation.lambdas[j];
      this.roundings[k] = computation.rounding;
    });
  }

  // Computed by the page's own instance of the module until `until`.
  computeWith(program, until) {
    return program.outcomes(this.roundings, this.points, this.limit, until, this.atLeast);
  }

  // The entries computed, of the outcomes a computation gave; the rest are
  // put back into `returned`.
  computed(outcomes, returned) {
    returned.push(...this.entries.slice(outcomes.length));
    return this.entries.slice(0, outcomes.length);
  }
}

// Cells a job takes when nothing is known of how long they take.
const JOB_CELLS = 64;
// The first pass's cells stand for COARSEST × COARSEST cells each.
const COARSEST = 8;

// The cells of a computation or a comparison handed out a job at a time
// until `until` (a performance.now() time), computed at once with its
// program: true while cells are left.
function computeUntil(computation, until, painted) {
  for (;;) {
    const job = computation.take(JOB_CELLS, painted);
    if (!job) return false;
    computation.finish(job, job.computeWith(computation.program, until), painted);
    if (performance.now() >= until) return true;
  }
}

// The outcome of every cell of a grid, as Program.outcome gives it with the
// step of `rounding` (0 the program's own), computed coarse cells first: each
// pass takes every size-th cell of both axes that an earlier pass did not,
// and stands for the size × size cells from it until a finer pass comes.
// Cells are handed out in jobs, and painted(i, j, size, outcome) is told of
// each once it is known.
export class Computation {
  constructor(program, grid, limit, rounding = 0) {
    this.program = program;
    this.grid = grid;
    this.limit = limit;
    this.rounding = rounding;
    this.columns = grid.start.count;
    this.rows = grid.lambda.count;
    this.outcomes = new Array(this.columns * this.rows);  // undefined until computed
    this.done = 0;
    this.msPerCell = null;  // as the last job took
    this.returned = [];     // cells a job handed out and did not come to
    this.drawn = false;     // whether the map has shown it yet
    // Each text as the program reads it, once per column and row.
    this.starts = Array.from({ length: this.columns }, (_, i) => program.number(axisText(grid.start, i)));
    this.lambdas = Array.from({ length: this.rows }, (_, j) => program.number(axisText(grid.lambda, j)));
    this.order = this.cells();
  }

  get cellCount() {
    return this.columns * this.rows;
  }

  * cells() {
    for (let size = COARSEST; size >= 1; size /= 2) {
      for (let j = 0; j < this.rows; j += size) {
        for (let i = 0; i < this.columns; i += size) {
          if (size === COARSEST || i % (2 * size) !== 0 || j % (2 * size) !== 0) yield [i, j, size];
        }
      }
    }
  }

  // The next `count` cells not handed out yet that are not known, as a job,
  // or null once every cell has been handed out; those known on the way are
  // painted at once. Cells a job did not come to go first.
  take(count, painted) {
    const entries = this.returned.splice(0, count);
    while (entries.length < count) {
      const { value, done } = this.order.next();
      if (done) break;
      const [i, j, size] = value;
      const outcome = this.known(i, j);
      if (outcome === undefined) entries.push({ computation: this, i, j, size });
      else painted(i, j, size, outcome);
    }
    return entries.length ? new Job(this.limit, entries) : null;
  }

  // A job's outcomes, as the module gave them.
  finish(job, outcomes, painted) {
    job.computed(outcomes, this.returned)
      .forEach(({ i, j, size }, k) => painted(i, j, size, this.record(i, j, outcomes[k])));
  }

  record(i, j, result) {
    const at = j * this.columns + i;
    if (this.outcomes[at] === undefined) {
      this.outcomes[at] = outcomeOf(result);
      this.done++;
    }
    return this.outcomes[at];
  }

  // Computes cells until `until`; true while cells are left.
  next(until, painted) {
    return computeUntil(this, until, painted);
  }

  // A cell's outcome if computed, else undefined.
  known(i, j) {
    return this.outcomes[j * this.columns + i];
  }
}

// Each cell of a grid as the program ends it and as another rounding does:
// { own, other } once both are known, computed in the same order; and how
// many cells have been compared, and differ.
export class Comparison {
  constructor(own, other) {
    Object.assign(this, {
      own, other, program: own.program, grid: own.grid, limit: own.limit, columns: own.columns, rows: own.rows,
    });
    this.compared = new Uint8Array(this.cellCount);
    this.done = 0;
    this.differ = 0;
    this.msPerCell = null;
    this.returned = [];
    this.drawn = false;
    for (let j = 0; j < this.rows; j++) for (let i = 0; i < this.columns; i++) this.count(i, j);
    this.order = own.cells();
  }

  get cellCount() {
    return this.columns * this.rows;
  }

  cells() {
    return this.own.cells();
  }

  count(i, j) {
    const pair = this.known(i, j);
    const at = j * this.columns + i;
    if (pair && !this.compared[at]) {
      this.compared[at] = 1;
      this.done++;
      if (pair.own !== pair.other) this.differ++;
    }
    return pair;
  }

  // A job of the outcomes either side lacks for the next `count` cells.
  take(count, painted) {
    const entries = this.returned.splice(0, count);
    while (entries.length < count) {
      const { value, done } = this.order.next();
      if (done) break;
      const [i, j, size] = value;
      const pair = this.count(i, j);
      if (pair) painted(i, j, size, pair);
      for (const computation of [this.own, this.other]) {
        if (!pair && computation.known(i, j) === undefined) entries.push({ computation, i, j, size });
      }
    }
    return entries.length ? new Job(this.limit, entries) : null;
  }

  finish(job, outcomes, painted) {
    const computed = job.computed(outcomes, this.returned);
    computed.forEach(({ computation, i, j }, k) => computation.record(i, j, outcomes[k]));
    // A cell is told once, when both sides are known: a job may hold both.
    for (const { i, j, size } of computed) {
      const told = this.compared[j * this.columns + i];
      const pair = this.count(i, j);
      if (pair && !told) painted(i, j, size, pair);
    }
  }

  next(until, painted) {
    return computeUntil(this, until, painted);
  }

  known(i, j) {
    const own = this.own.known(i, j);
    const other = this.other.known(i, j);
    return own === undefined || other === undefined ? undefined : { own, other };
  }
}

// How another rounding changes a cell's outcome, in a word or two.
export function changeOf({ own, other }) {
  if (own === other) return 'the same';
  const done = (outcome) => typeof outcome === 'number';
  if (done(own) && done(other)) return other > own ? 'more runs' : 'fewer runs';
  if (done(own)) return 'Done line lost';
  if (done(other)) return 'Done line gained';
  return 'another end';
}

// A cell's outcome in words, as the program's last line says it.
export function outcomeText(outcome) {
  if (outcome > 0) return `Done after: ${outcome} runs`;
  if (outcome === 'finite') return 'no Done line, iterates finite';
  if (outcome === 'infinite') return 'no Done line, iterates infinite or NaN';
  return 'not computed yet';
}

// The colours: the README's palette from 1 run to the limit on a log scale.
const PALETTE = [[0, 0xfde725], [0.25, 0x5ec962], [0.5, 0x21918c], [0.75, 0x3b528b], [1, 0x440154]];
const GREY = [190, 190, 190];
const RED = [214, 39, 40];
const rgb = (hex) => [hex >> 16, (hex >> 8) & 255, hex & 255];
// Where another rounding is compared: a colour for each change.
const CHANGES = {
  'the same': [236, 236, 230], 'more runs': [33, 102, 172], 'fewer runs': [230, 97, 1],
  'Done line gained': [27, 120, 55], 'Done line lost': [118, 42, 131], 'another end': [214, 39, 40],
};

function colour(outcome, limit) {
  if (typeof outcome === 'object') return CHANGES[changeOf(outcome)];
  if (outcome === 'finite') return GREY;
  if (outcome === 'infinite') return RED;
  const t = Math.min(1, Math.log(outcome) / Math.log(Math.max(limit, 2)));
  const k = PALETTE.findIndex(([at]) => at >= t);
  if (k <= 0) return rgb(PALETTE[0][1]);
  const [a, from] = PALETTE[k - 1];
  const [b, to] = PALETTE[k];
  const share = (t - a) / (b - a);
  return rgb(from).map((c, n) => Math.round(c + (rgb(to)[n] - c) * share));
}

// The map in the page, drawn on a canvas; a comparison's legend takes as
// many rows of LEGEND_ROW as its labels need.
const MARGIN = { left: 46, right: 12, top: 10, bottom: 58 };
const LEGEND_ROW = 18;
const LEGEND = 12;  // the legend's bar, below the start axis
// How long cells are computed between two looks at the page, where there are
// no workers; and how long a job may take.
const SLICE_MS = 12;
const JOB_MS = 8;
// How often a map is drawn as its cells come.
const DRAW_MS = 100;
// Runs a cell may make on the map: past this a map would take minutes.
const MAP_LIMIT = 5000;
// Maps kept to go back to (the whole map among them, as a rule).
const CACHED = 8;

export class RunMap {
  // canvas: the map, named "Map"; cellText: where the cell pointed at is
  // told; progress: how far the map has come; limitText: the limit its
  // cells are for; choose(startText, lambdaText, limitText): runs a cell's
  // dialogue.
  constructor(canvas, { cellText, progress, limitText, choose }) {
    this.canvas = canvas;
    this.cellText = cellText;
    this.progress = progress;
    this.limitText = limitText;
    this.choose = choose;
    this.measurer = document.createElement('canvas').getContext('2d');
    this.program = null;
    this.grid = WHOLE;
    this.limit = 500;          // as the program read it; the map stops at MAP_LIMIT
    this.rounding = null;      // { number, label } of a rounding compared, or null
    this.mark = null;          // { start, lambda, startText, lambdaText, note } of the current run, or null
    this.focusCell = null;     // [i, j] moved to by keys
    this.pointed = null;       // [i, j] under the pointer
    this.pointers = new Map(); // pointers down, for a drag or a pinch
    this.cache = new Map();    // the latest computations, by grid and limit
    this.drawnAt = -Infinity;  // when the map was last drawn
    this.image = document.createElement('canvas');
    this.listen();
    new ResizeObserver(() => this.paint()).observe(canvas);
  }

  // Starts computing for the program, the grid and the limit, with the
  // workers (web/map-workers.mjs) where there are any.
  show({ program = this.program, workers = this.workers, grid = this.grid, limit = this.limit,
         rounding = this.rounding } = {}) {
    // The cell moved to by keys stays where it was, on the new grid.
    const focused = this.focusCell && this.valuesOf(this.focusCell);
    Object.assign(this, { program, workers, grid, limit, rounding });
    const runs = Math.min(limit, MAP_LIMIT);
    const own = this.cached(grid, runs, 0);
    this.computation = rounding ? new Comparison(own, this.cached(grid, runs, rounding.number)) : own;
    this.image.width = this.computation.columns;
    this.image.height = this.computation.rows;
    this.imageContext = this.image.getContext('2d');
    this.pixels = this.imageContext.createImageData(this.image.width, this.image.height);
    if (focused) this.focusCell = this.cellAt(...focused);
    // A map left half computed shows its coarse cells where the fine ones
    // are not known yet: each known cell painted at the size of its pass,
    // the coarsest first.
    for (const [i, j, size] of this.computation.cells()) {
      const outcome = this.computation.known(i, j);
      if (outcome) this.paintCell(i, j, size, outcome);
    }
    this.imageContext.putImageData(this.pixels, 0, 0);
    this.paint();
    this.tell();
    this.completeMarked = false;
    // A new map is drawn as soon as its first cells are known.
    clearTimeout(this.later);
    this.later = 0;
    performance.mark('map started');
    this.compute();
  }

  // The latest computation of a grid, limit and rounding, or a new one.
  cached(grid, runs, rounding) {
    const key = JSON.stringify([grid, runs, rounding]);
    const computation = this.cache.get(key) ?? new Computation(this.program, grid, runs, rounding);
    this.cache.delete(key);
    this.cache.set(key, computation);
    if (this.cache.size > CACHED) this.cache.delete(this.cache.keys().next().value);
    return computation;
  }

  whole() {
    this.show({ grid: WHOLE });
  }

  // Hands out the map's cells: to the workers, a job to each that has room,
  // or, while none can take one, computes a slice of them here and gives the
  // page its turn. A job's cells are painted as it comes back, and drawn
  // once a frame.
  compute() {
    const computation = this.computation;
    if (!computation) return;  // workers ready before the first map
    // How many workers compute the map, told as each is ready: 0 where the
    // page's thread does.
    this.canvas.dataset.workers = this.workers?.count ?? 0;
    const painted = (i, j, size, outcome) => {
      if (computation === this.computation) this.paintCell(i, j, size, outcome);
    };
    if (this.workers?.count) {
      for (let job; this.workers.room && (job = computation.take(this.jobCells(computation), painted));) {
        this.send(computation, job, painted);
      }
    } else if (!this.slicing) {
      this.slicing = true;
      const more = computation.next(performance.now() + SLICE_MS, painted);
      nextTurn(() => {
        this.slicing = false;
        if (more || computation !== this.computation) this.compute();
      });
    }
    if (computation.done === computation.cellCount && !this.completeMarked) {
      this.completeMarked = true;
      performance.mark('map complete');
    }
    this.drawSoon();
  }

  // A job to a worker; one that a lost worker took with it is computed here.
  send(computation, job, painted) {
    this.workers.compute(job, JOB_MS).then(({ outcomes, ms }) => {
      computation.msPerCell = ms / outcomes.length;
      computation.finish(job, outcomes, painted);
    }, () => computation.finish(job, job.computeWith(this.program, performance.now() + JOB_MS), painted))
      .then(() => this.compute());
  }

  // Cells for a job of about JOB_MS, as the last job of the computation took.
  jobCells(computation) {
    if (!computation.msPerCell) return JOB_CELLS;
    return Math.round(Math.min(4096, Math.max(16, JOB_MS / computation.msPerCell)));
  }

  // The cells come in at every frame; the map is drawn with the first, then
  // at most every DRAW_MS while they come, and with the last: a drawing a
  // frame took the workers' cores from them.
  drawSoon() {
    if (this.frame || this.later) return;
    const computation = this.computation;
    const wait = this.drawnAt + DRAW_MS - performance.now();
    if (computation.drawn && computation.done < computation.cellCount && wait > 0) {
      this.later = setTimeout(() => {
        this.later = 0;
        this.drawSoon();
      }, wait);
      return;
    }
    this.frame = requestAnimationFrame((now) => {
      this.frame = 0;
      this.drawnAt = now;
      this.imageContext.putImageData(this.pixels, 0, 0);
      this.paint();
      this.tell();
      if (!this.computation.drawn) performance.mark('map first drawn');
      this.computation.drawn = true;
    });
  }

  paintCell(i, j, size, outcome) {
    const rgb = colour(outcome, this.computation.limit);
    const { columns, rows } = this.computation;
    const { data } = this.pixels;
    // Row 0 is the smallest λ, at the bottom.
    for (let y = Math.max(0, rows - j - size); y < rows - j; y++) {
      for (let x = i; x < Math.min(columns, i + size); x++) {
        const at = 4 * (y * columns + x);
        data[at] = rgb[0];
        data[at + 1] = rgb[1];
        data[at + 2] = rgb[2];
        data[at + 3] = 255;
      }
    }
  }

  // A text's width in the map's font, in CSS pixels.
  measure(text) {
    if (!this.fontSet) {
      this.measurer.font = `12px ${getComputedStyle(this.canvas).fontFamily}`;
      this.fontSet = true;
    }
    return this.measurer.measureText(text).width;
  }

  // The grid's extent: cell edges, start and λ.
  extent() {
    const { start, lambda } = this.grid;
    return { x: [axisValue(start, -0.5), axisValue(start, start.count - 0.5)],
             y: [axisValue(lambda, -0.5), axisValue(lambda, lambda.count - 0.5)] };
  }

  // The plot area in CSS pixels, with room on the left for the widest λ
  // label, and the ticks of both axes: as many start labels as fit side by
  // side.
  plot() {
    const width = this.canvas.clientWidth;
    const height = this.canvas.clientHeight;
    const { x: [x0, x1], y: [y0, y1] } = this.extent();
    const rows = this.rounding ? this.changesLayout().at(-1).row + 1 : 1;
    const plotHeight = height - MARGIN.top - MARGIN.bottom - (rows - 1) * LEGEND_ROW;
    const lambdaTicks = ticks(y0, y1, Math.max(2, Math.floor(plotHeight / 30)));
    const left = Math.max(MARGIN.left, 26 + Math.max(...lambdaTicks.map(({ text }) => this.measure(text))));
    const plotWidth = width - left - MARGIN.right;
    let startTicks;
    for (let count = Math.max(2, Math.floor(plotWidth / 70)); count >= 1; count--) {
      startTicks = ticks(x0, x1, count);
      const widest = Math.max(...startTicks.map(({ text }) => this.measure(text)));
      if (startTicks.length * (widest + 12) <= plotWidth) break;
    }
    return { left, top: MARGIN.top, width: plotWidth, height: plotHeight, startTicks, lambdaTicks };
  }

  // The cell under a point of the canvas (CSS pixels), or null.
  cellAtPoint(x, y) {
    const plot = this.plot();
    const { columns, rows } = this.computation;
    const i = Math.floor(((x - plot.left) / plot.width) * columns);
    const j = rows - 1 - Math.floor(((y - plot.top) / plot.height) * rows);
    return i >= 0 && i < columns && j >= 0 && j < rows ? [i, j] : null;
  }

  valuesOf([i, j]) {
    return [axisValue(this.grid.start, i), axisValue(this.grid.lambda, j)];
  }

  // The cell nearest to a start point and λ; an infinity's is at its end,
  // and NaN's at the start.
  cellAt(start, lambda) {
    const near = (axis, value) => (Number.isNaN(value) ? 0 : Math.min(axis.count - 1, Math.max(0,
      Math.round((value * 10 ** axis.digits - axis.first) / axis.step) || 0)));
    return [near(this.grid.start, start), near(this.grid.lambda, lambda)];
  }

  describe([i, j]) {
    const outcome = this.computation.known(i, j);
    const cell = `start ${axisText(this.grid.start, i)}, λ ${axisText(this.grid.lambda, j)}: `;
    if (!this.rounding) return cell + outcomeText(outcome);
    if (!outcome) return `${cell}not computed yet`;
    return `${cell}the program: ${outcomeText(outcome.own)}; with ${this.rounding.label}: ${outcomeText(outcome.other)}`
      + ` (${changeOf(outcome)})`;
  }

  // The words beside the map: the cell pointed at or moved to, else where
  // the mark is, and how far the computation has come.
  tell(cell = this.pointed ?? this.focusCell) {
    const { done, cellCount, differ } = this.computation;
    const [count, of] = [done, cellCount].map((n) => n.toLocaleString('en'));
    const compared = !this.rounding ? `${count} of ${of} cells`
      : done === cellCount ? `${differ.toLocaleString('en')} of ${of} cells differ`
        : `${count} of ${of} cells compared, ${differ.toLocaleString('en')} differ so far`;
    this.progress.textContent = compared
      + (this.limit > MAP_LIMIT ? `, each at most ${MAP_LIMIT.toLocaleString('en')} runs` : '');
    // Rewritten only when it changes: a screen reader says each change.
    const words = cell ? this.describe(cell) : this.markText();
    if (this.cellText.textContent !== words) this.cellText.textContent = words;
    const limit = `Each cell is its dialogue with the limit ${this.computation.limit}, which a click types.`;
    if (this.limitText.textContent !== limit) this.limitText.textContent = limit;
  }

  // mark: the start point and λ the current run uses, as the program read
  // them (numbers, and the program's texts of them), and a note where a read
  // failed.
  setMark(mark) {
    this.mark = mark;
    this.paint();
    if (this.computation) this.tell();
  }

  markText() {
    if (!this.mark) return '';
    const { startText, lambdaText, note } = this.mark;
    return `marked: the run of start ${startText}, λ ${lambdaText}${note ? `, ${note}` : ''}`;
  }

  paint() {
    if (!this.computation) return;
    const canvas = this.canvas;
    const ratio = window.devicePixelRatio || 1;
    const width = canvas.clientWidth;
    const height = canvas.clientHeight;
    if (canvas.width !== Math.round(width * ratio) || canvas.height !== Math.round(height * ratio)) {
      canvas.width = Math.round(width * ratio);
      canvas.height = Math.round(height * ratio);
    }
    const context = canvas.getContext('2d');
    context.setTransform(ratio, 0, 0, ratio, 0, 0);
    context.clearRect(0, 0, width, height);
    const plot = this.plot();
    // Where the cells are, for whoever must point at one.
    canvas.dataset.plot = [plot.left, plot.top, plot.width, plot.height].join(' ');
    canvas.dataset.cells = [this.computation.columns, this.computation.rows].join(' ');
    context.imageSmoothingEnabled = false;
    context.drawImage(this.image, plot.left, plot.top, plot.width, plot.height);

    const style = getComputedStyle(canvas);
    context.font = `12px ${style.fontFamily}`;
    context.fillStyle = style.color;
    context.strokeStyle = style.color;
    const { x: [x0, x1], y: [y0, y1] } = this.extent();
    canvas.dataset.view = [x0, x1, y0, y1].join(' ');
    const px = (x) => plot.left + ((x - x0) / (x1 - x0)) * plot.width;
    const py = (y) => plot.top + plot.height - ((y - y0) / (y1 - y0)) * plot.height;
    this.labels = [];
    const label = (text, x, y) => this.label(context, text, x, y);
    context.textAlign = 'center';
    context.textBaseline = 'top';
    for (const tick of plot.startTicks) {
      context.fillRect(px(tick.value), plot.top + plot.height, 1, 4);
      // A label that would run off the map is left out; its tick stays.
      const half = context.measureText(tick.text).width / 2;
      if (px(tick.value) - half >= 0 && px(tick.value) + half <= width) {
        label(tick.text, px(tick.value), plot.top + plot.height + 6);
      }
    }
    label('start point', plot.left + plot.width / 2, plot.top + plot.height + 20);
    context.textAlign = 'right';
    context.textBaseline = 'middle';
    for (const tick of plot.lambdaTicks) {
      context.fillRect(plot.left - 4, py(tick.value), 4, 1);
      label(tick.text, plot.left - 6, py(tick.value));
    }
    context.save();
    context.translate(12, plot.top + plot.height / 2);
    context.rotate(-Math.PI / 2);
    context.textAlign = 'center';
    context.fillText('λ', 0, 0);
    context.restore();
    this.paintLegend(context, plot, style.color);
    canvas.dataset.labels = JSON.stringify(this.labels);

    // The controls' start and λ, and the cell moved to by keys.
    if (this.mark && Number.isFinite(this.mark.start) && Number.isFinite(this.mark.lambda)) {
      const [x, y] = [px(this.mark.start), py(this.mark.lambda)];
      if (x >= plot.left && x <= plot.left + plot.width && y >= plot.top && y <= plot.top + plot.height) {
        context.lineWidth = 2;
        context.strokeStyle = '#fff';
        context.beginPath();
        context.arc(x, y, 6, 0, 2 * Math.PI);
        context.stroke();
        context.strokeStyle = '#000';
        context.lineWidth = 1;
        context.beginPath();
        context.arc(x, y, 8, 0, 2 * Math.PI);
        context.stroke();
      }
    }
    const cell = this.focusCell;
    if (cell && document.activeElement === canvas) {
      const cellWidth = plot.width / this.computation.columns;
      const cellHeight = plot.height / this.computation.rows;
      const [i, j] = cell;
      context.lineWidth = 2;
      context.strokeStyle = '#c2410c';
      context.strokeRect(plot.left + i * cellWidth - 2, plot.top + (this.computation.rows - 1 - j) * cellHeight - 2,
        cellWidth + 4, cellHeight + 4);
    }
    if (this.dragged) {
      const { from, to } = this.dragged;
      context.lineWidth = 1;
      context.strokeStyle = '#fff';
      context.fillStyle = 'rgba(255, 255, 255, 0.2)';
      context.fillRect(from.x, from.y, to.x - from.x, to.y - from.y);
      context.strokeRect(from.x, from.y, to.x - from.x, to.y - from.y);
    }
  }

  // A text drawn on the map, kept with its box for whoever must check that
  // every one fits.
  label(context, text, x, y) {
    const width = context.measureText(text).width;
    const left = { left: x, center: x - width / 2, right: x - width }[context.textAlign];
    this.labels.push({ text, left, right: left + width, y });
    context.fillText(text, x, y);
  }

  // The legend's room: from the left margin of the whole map to the edge,
  // wherever wide λ labels put the plot.
  legendWidth() {
    return this.canvas.clientWidth - MARGIN.left - 4;
  }

  // Below the start axis: the palette with its counts, and the two colours
  // of no Done line.
  paintLegend(context, plot, ink) {
    const top = plot.top + plot.height + 36;
    if (this.rounding) {
      this.paintChanges(context, plot, top, ink);
      return;
    }
    const limit = this.computation.limit;
    // The bar takes what the labels and the two swatches leave.
    const swatches = [[GREY, 'finite'], [RED, 'inf/NaN']];
    const room = (text) => LEGEND + 4 + context.measureText(text).width + 10;
    const labels = 10 + context.measureText(`${limit} runs`).width + 4 + swatches.reduce((sum, [, l]) => sum + room(l), 0);
    const width = Math.max(30, this.legendWidth() - labels);
    const left = MARGIN.left;
    // The palette is linear in the log of the count, as the bar is.
    const bar = context.createLinearGradient(left, 0, left + width, 0);
    for (const [at, hex] of PALETTE) bar.addColorStop(at, `#${hex.toString(16).padStart(6, '0')}`);
    context.fillStyle = bar;
    context.fillRect(left, top, width, LEGEND);
    context.fillStyle = ink;
    context.textAlign = 'left';
    context.textBaseline = 'middle';
    this.label(context, '1', left - 10, top + LEGEND / 2);
    const runs = `${limit} runs`;
    this.label(context, runs, left + width + 4, top + LEGEND / 2);
    let x = left + width + 4 + context.measureText(runs).width + 10;
    for (const [[r, g, b], text] of swatches) {
      context.fillStyle = `rgb(${r},${g},${b})`;
      context.fillRect(x, top, LEGEND, LEGEND);
      context.fillStyle = ink;
      this.label(context, text, x + LEGEND + 4, top + LEGEND / 2);
      x += room(text);
    }
  }

  // Where a comparison's legend puts each change's swatch, in rows no
  // wider than the legend's room: [{ label, x, row }].
  changesLayout() {
    const width = this.legendWidth();
    const layout = [];
    let [x, row] = [0, 0];
    for (const label of Object.keys(CHANGES)) {
      const room = LEGEND + 4 + this.measure(label);
      if (x > 0 && x + room > width) [x, row] = [0, row + 1];
      layout.push({ label, x, row });
      x += room + 14;
    }
    return layout;
  }

  paintChanges(context, plot, top, ink) {
    context.textAlign = 'left';
    context.textBaseline = 'middle';
    for (const { label, x, row } of this.changesLayout()) {
      const [r, g, b] = CHANGES[label];
      const y = top + row * LEGEND_ROW;
      context.fillStyle = `rgb(${r},${g},${b})`;
      context.fillRect(MARGIN.left + x, y, LEGEND, LEGEND);
      context.fillStyle = ink;
      this.label(context, label, MARGIN.left + x + LEGEND + 4, y + LEGEND / 2);
    }
  }

  listen() {
    const canvas = this.canvas;
    const point = (event) => {
      const box = canvas.getBoundingClientRect();
      return { x: event.clientX - box.left, y: event.clientY - box.top };
    };
    canvas.addEventListener('pointermove', (event) => {
      const at = point(event);
      const down = this.pointers.get(event.pointerId);
      if (down) {
        down.to = at;
        if (this.pointers.size === 1 && Math.hypot(at.x - down.from.x, at.y - down.from.y) > 6) {
          this.dragged = down;
          this.paint();
        }
      }
      this.pointed = this.computation && this.cellAtPoint(at.x, at.y);
      this.tell();
    });
    canvas.addEventListener('pointerleave', () => {
      this.pointed = null;
      this.tell();
    });
    // Only the primary button, a finger or a pen runs a cell or draws a
    // rectangle; a second finger makes a pinch of what was a drag.
    canvas.addEventListener('pointerdown', (event) => {
      if (event.button !== 0) return;
      canvas.setPointerCapture(event.pointerId);
      const at = point(event);
      this.pointers.set(event.pointerId, { from: at, to: at });
      if (this.pointers.size > 1) this.undrag();
    });
    const release = (event) => {
      const down = this.pointers.get(event.pointerId);
      if (!down) return;
      if (this.pointers.size === 2) {
        this.pinch(...this.pointers.values());
        this.pointers.clear();
        return;
      }
      this.pointers.delete(event.pointerId);
      if (this.dragged) {
        this.undrag();
        this.zoomTo(down.from, down.to);
      } else if (event.type === 'pointerup') {
        const cell = this.cellAtPoint(down.to.x, down.to.y);
        if (cell) this.run(cell);
      }
    };
    canvas.addEventListener('pointerup', release);
    canvas.addEventListener('pointercancel', release);
    // Each notch counts, gathered until the wheel rests; a sideways scroll
    // is the page's, not a zoom.
    canvas.addEventListener('wheel', (event) => {
      if (Math.abs(event.deltaY) <= Math.abs(event.deltaX)) return;
      event.preventDefault();
      this.wheelFactor = (this.wheelFactor ?? 1) * (event.deltaY < 0 ? 0.8 : 1.25);
      const at = point(event);
      clearTimeout(this.wheeling);
      this.wheeling = setTimeout(() => {
        const factor = this.wheelFactor;
        this.wheelFactor = 1;
        this.zoomAround(at, factor);
      }, 120);
    }, { passive: false });
    canvas.addEventListener('keydown', (event) => this.key(event));
    canvas.addEventListener('focus', () => {
      this.focusCell ??= this.mark ? this.cellAt(this.mark.start, this.mark.lambda) : [0, 0];
      this.paint();
      this.tell(this.focusCell);
    });
    canvas.addEventListener('blur', () => this.paint());
  }

  // A drag given up: its rectangle goes.
  undrag() {
    if (!this.dragged) return;
    this.dragged = null;
    this.paint();
  }

  key(event) {
    const moves = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, 1], ArrowDown: [0, -1],
                    PageUp: [0, 10], PageDown: [0, -10], Home: [-Infinity, 0], End: [Infinity, 0] };
    if (event.key === 'Enter' || event.key === ' ') {
      event.preventDefault();
      if (this.focusCell) this.run(this.focusCell);
      return;
    }
    // + and − zoom in and out around the cell under the focus.
    const zoom = { '+': 0.5, '=': 0.5, '-': 2, '−': 2, _: 2 }[event.key];
    if (zoom) {
      event.preventDefault();
      const cell = this.focusCell ?? [0, 0];
      const plot = this.plot();
      const { columns, rows } = this.computation;
      this.zoomAround({ x: plot.left + ((cell[0] + 0.5) * plot.width) / columns,
                        y: plot.top + ((rows - 1 - cell[1] + 0.5) * plot.height) / rows }, zoom);
      return;
    }
    const move = moves[event.key];
    if (!move) return;
    event.preventDefault();
    const [i, j] = this.focusCell ?? [0, 0];
    const { columns, rows } = this.computation;
    this.focusCell = [Math.min(columns - 1, Math.max(0, i + move[0])), Math.min(rows - 1, Math.max(0, j + move[1]))];
    this.paint();
    this.tell(this.focusCell);
  }

  // A cell's dialogue, with the limit its colour and words are for.
  run(cell) {
    this.focusCell = cell;
    this.choose(axisText(this.grid.start, cell[0]), axisText(this.grid.lambda, cell[1]), String(this.computation.limit));
    this.tell(cell);
  }

  // Zooms by `factor` (below 1: in) keeping the point `at` of the canvas
  // where it is.
  zoomAround(at, factor) {
    const plot = this.plot();
    const from = { x: at.x - (at.x - plot.left) * factor, y: at.y - (at.y - plot.top) * factor };
    this.zoomTo(from, { x: from.x + plot.width * factor, y: from.y + plot.height * factor });
  }

  // Zooms to the region between two points of the canvas, as a finer grid
  // of about as many cells, within the whole map.
  zoomTo(a, b) {
    const plot = this.plot();
    const { x: [x0, x1], y: [y0, y1] } = this.extent();
    const xOf = (x) => x0 + ((x - plot.left) / plot.width) * (x1 - x0);
    const yOf = (y) => y0 + ((plot.top + plot.height - y) / plot.height) * (y1 - y0);
    const [left, right] = [xOf(Math.min(a.x, b.x)), xOf(Math.max(a.x, b.x))];
    const [bottom, top] = [yOf(Math.max(a.y, b.y)), yOf(Math.min(a.y, b.y))];
    const whole = (axis) => [axisValue(axis, 0), axisValue(axis, axis.count - 1)];
    const [s0, s1] = whole(WHOLE.start);
    const [l0, l1] = whole(WHOLE.lambda);
    const clampTo = (low, high, min, max) => [Math.max(min, low), Math.min(max, high)];
    // No finer than the finest step, with as many cells as the whole map:
    // a region narrower than that grows about its middle.
    const widen = ([low, high], count, min, max) => {
      const least = (count - 1) * 10 ** -FINEST;
      if (!(high > low) || high - low >= least) return [low, high];
      const middle = Math.min(max - least / 2, Math.max(min + least / 2, (low + high) / 2));
      return [middle - least / 2, middle + least / 2];
    };
    const [startLow, startHigh] = widen(clampTo(left, right, s0, s1), WHOLE.start.count, s0, s1);
    const [lambdaLow, lambdaHigh] = widen(clampTo(bottom, top, l0, l1), WHOLE.lambda.count, l0, l1);
    if (!(startHigh > startLow && lambdaHigh > lambdaLow)) return;
    const grid = (startHigh - startLow >= s1 - s0 && lambdaHigh - lambdaLow >= l1 - l0) ? WHOLE : {
      start: axisOver(startLow, startHigh, WHOLE.start.count),
      lambda: axisOver(lambdaLow, lambdaHigh, WHOLE.lambda.count),
    };
    this.show({ grid });
  }

  pinch(first, second) {
    this.undrag();
    const spread = (key) => Math.hypot(first[key].x - second[key].x, first[key].y - second[key].y);
    const factor = spread('from') / Math.max(spread('to'), 1);
    this.zoomAround({ x: (first.to.x + second.to.x) / 2, y: (first.to.y + second.to.y) / 2 }, factor);
  }
}

// Ticks at 1, 2 or 5 times a power of ten, about `count` across [low, high],
// each with its text.
function ticks(low, high, count) {
  const [step, power] = nearestStep((high - low) / count, [1, 2, 5, 10]);
  const digits = Math.max(0, -power);
  const list = [];
  for (let k = Math.ceil(low / (step * 10 ** power)); k * step * 10 ** power <= high; k++) {
    const value = k * step * 10 ** power;
    const text = value.toFixed(digits);
    list.push({ value, text: text.includes('.') ? text.replace(/\.?0+$/, '') : text.replace(/^-0$/, '0') });
  }
  return list;
}
