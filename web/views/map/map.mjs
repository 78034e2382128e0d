// The map of every start and λ: holds what it shows (the grid, the limit,
// the rounding compared, the session's mark, the cell pointed at or focused) and
// wires its parts: the cells, the scheduler, the layout, the painter, the words.
import { WHOLE, axisText, cellAt, gridOver, valuesOf } from '../../map/grid.mjs';
import { Computation, Comparison } from '../../map/cells.mjs';
import { Throttle } from '../../shared/throttle.mjs';
import { Scheduler } from './scheduler.mjs';
import { layoutOf, cellAtPoint, cellBox } from './layout.mjs';
import { paintCell, paintMap } from './painter.mjs';
import { cellWords, progressWords, markWords, limitWords } from './words.mjs';
import { MapGesture } from './gesture.mjs';

// How often a map is drawn as its cells come: a drawing a frame took the
// workers' cores from them.
const DRAW_MS = 100;
// Runs a cell may make on the map: past this a map would take minutes.
const MAP_LIMIT = 5000;
// Maps kept to go back to (the whole map among them, as a rule).
const CACHED = 8;

export class RunMap {
  // canvas: the map, named "Map"; selection: the dragged rectangle over it;
  // cellText: the cell pointed at, in words; progress: how far the map has
  // come; limitText: the limit its cells are for.
  constructor({ canvas, selection, cellText, progress, limitText }) {
    this.canvas = canvas;
    this.cellText = cellText;
    this.progress = progress;
    this.limitText = limitText;
    this.onChoose = () => {};  // (startText, lambdaText, limitText): a cell's dialogue to run
    this.program = null;
    this.grid = WHOLE;
    this.limit = 500;          // as the program read it; the map stops at MAP_LIMIT
    this.rounding = null;      // { number, label } of a rounding compared, or null
    this.mark = null;          // { start, lambda, startText, lambdaText, note } of the run on screen
    this.focusCell = null;     // [i, j] moved to by keys
    this.pointed = null;       // [i, j] under the pointer
    this.computation = null;
    this.cache = new Map();    // the latest computations, by grid, limit and rounding
    this.completeMarked = false;
    this.image = document.createElement('canvas');
    this.pixels = null;        // the image's cells, one pixel each
    this.layout = null;        // and where they go, measured for layoutKey
    this.layoutKey = '';
    this.measurer = document.createElement('canvas').getContext('2d');
    this.font = '';
    this.scheduler = new Scheduler();
    this.scheduler.onCell = (i, j, size, outcome) => paintCell(this.pixels, i, j, size, outcome, this.computation.limit,
      this.computation.result?.(i, j));
    this.scheduler.onProgress = () => this.progressed();
    this.drawing = new Throttle(DRAW_MS, () => {
      this.draw();
      if (!this.computation.drawn) performance.mark('map first drawn');
      this.computation.drawn = true;
    }, { inFrame: true });
    this.gesture = new MapGesture(canvas, selection);
    this.wire();
    new ResizeObserver(() => this.paint()).observe(canvas);
  }

  get workers() {
    return this.scheduler.workers;
  }

  // Computes and shows the map of a grid, a limit and a rounding, with the
  // workers (web/module/map-workers.mjs) where there are any.
  show({ program = this.program, workers = this.workers, grid = this.grid, limit = this.limit,
         rounding = this.rounding } = {}) {
    // The cell moved to by keys stays where it was, on the new grid.
    const focused = this.focusCell && valuesOf(this.grid, this.focusCell);
    Object.assign(this, { program, grid, limit, rounding });
    Object.assign(this.scheduler, { program, workers });
    const runs = Math.min(limit, MAP_LIMIT);
    const own = this.cached(grid, runs, 0);
    this.computation = rounding ? new Comparison(own, this.cached(grid, runs, rounding.number)) : own;
    this.image.width = this.computation.columns;
    this.image.height = this.computation.rows;
    this.pixels = this.image.getContext('2d').createImageData(this.image.width, this.image.height);
    if (focused) this.focusCell = cellAt(grid, ...focused);
    // A map left half computed shows its coarse cells where the fine ones
    // are not known yet: each known cell painted at the size of its pass,
    // the coarsest first.
    for (const [i, j, size] of this.computation.cells()) {
      const outcome = this.computation.known(i, j);
      if (outcome) paintCell(this.pixels, i, j, size, outcome, runs, this.computation.result?.(i, j));
    }
    this.drawing.cancel();
    this.draw();
    this.completeMarked = false;
    performance.mark('map started');
    this.scheduler.start(this.computation);
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

  // Workers ready, or cores left to the map again: more jobs go out.
  compute() {
    this.scheduler.compute();
  }

  // After each slice or job: drawn with the first cells, then at most every
  // DRAW_MS while they come, and with the last.
  progressed() {
    const { computation } = this;
    // How many workers compute the map: 0 where the page's thread does.
    this.canvas.dataset.workers = this.scheduler.workerCount;
    const complete = computation.done === computation.cellCount;
    if (complete && !this.completeMarked) {
      this.completeMarked = true;
      performance.mark('map complete');
    }
    this.drawing.soon(!computation.drawn || complete);
  }

  draw() {
    this.image.getContext('2d').putImageData(this.pixels, 0, 0);
    this.paint();
    this.tell();
  }

  // The layout, measured again only when the size, the grid or the legend
  // has changed.
  measured() {
    const width = this.canvas.clientWidth;
    const height = this.canvas.clientHeight;
    const key = JSON.stringify([width, height, this.grid, Boolean(this.rounding)]);
    if (key !== this.layoutKey) {
      if (!this.font) this.font = `12px ${getComputedStyle(this.canvas).fontFamily}`;
      this.measurer.font = this.font;
      const measure = (text) => this.measurer.measureText(text).width;
      this.layout = layoutOf({ width, height, grid: this.grid, comparing: Boolean(this.rounding), measure });
      this.layoutKey = key;
    }
    return this.layout;
  }

  paint() {
    if (!this.computation) return;
    const layout = this.measured();
    const { canvas } = this;
    const labels = paintMap(canvas, this.image, layout, {
      limit: this.computation.limit, comparing: Boolean(this.rounding), mark: this.mark,
      focusCell: document.activeElement === canvas ? this.focusCell : null,
    });
    // Where the cells are and what is drawn, for whoever must check.
    canvas.dataset.plot = [layout.left, layout.top, layout.plotWidth, layout.plotHeight].join(' ');
    canvas.dataset.cells = [layout.columns, layout.rows].join(' ');
    canvas.dataset.view = [...layout.start.domain, ...layout.lambda.domain].join(' ');
    canvas.dataset.labels = JSON.stringify(labels);
  }

  // The words beside the map: the cell pointed at or moved to, else where
  // the mark is, and how far the computation has come. Each is rewritten
  // only when it changes: a screen reader says each change.
  tell(cell = this.pointed ?? this.focusCell) {
    const set = (element, text) => {
      if (element.textContent !== text) element.textContent = text;
    };
    set(this.progress, progressWords(this.computation, Boolean(this.rounding), this.limit > MAP_LIMIT && MAP_LIMIT));
    set(this.cellText, cell ? cellWords(this.computation, this.rounding, cell) : markWords(this.mark));
    set(this.limitText, limitWords(this.computation.limit));
  }

  // The run on screen's start and λ, as the program read them (numbers, and
  // the program's texts of them), and a note where a read failed; or null.
  setMark(mark) {
    this.mark = mark;
    this.paint();
    if (this.computation) this.tell();
  }

  // A cell's dialogue, with the limit its colour and words are for.
  run(cell) {
    this.focusCell = cell;
    this.onChoose(axisText(this.grid.start, cell[0]), axisText(this.grid.lambda, cell[1]), String(this.computation.limit));
    this.tell(cell);
  }

  // Zooms by `factor` (below 1: in), keeping the point `at` where it is.
  zoomAround(at, factor) {
    const { left, top, plotWidth, plotHeight } = this.measured();
    const from = { x: at.x - (at.x - left) * factor, y: at.y - (at.y - top) * factor };
    this.zoomTo(from, { x: from.x + plotWidth * factor, y: from.y + plotHeight * factor });
  }

  // Zooms to the region between two points of the canvas.
  zoomTo(a, b) {
    const { start, lambda } = this.measured();
    const xs = [a.x, b.x].map((x) => start.invert(x)).sort((p, q) => p - q);
    const ys = [a.y, b.y].map((y) => lambda.invert(y)).sort((p, q) => p - q);
    const grid = gridOver({ x: xs, y: ys });
    if (grid) this.show({ grid });
  }

  wire() {
    const { gesture } = this;
    gesture.onPoint = (at) => {
      this.pointed = at && this.computation && cellAtPoint(this.measured(), at);
      if (this.computation) this.tell();
    };
    gesture.onClick = (at) => {
      const cell = this.computation && cellAtPoint(this.measured(), at);
      if (cell) this.run(cell);
    };
    gesture.onZoomTo = (a, b) => this.zoomTo(a, b);
    gesture.onZoomAround = (at, factor) => this.zoomAround(at, factor);
    gesture.onFocus = (focused) => {
      if (focused) this.focusCell ??= this.mark ? cellAt(this.grid, this.mark.start, this.mark.lambda) : [0, 0];
      this.paint();
      if (focused) this.tell(this.focusCell);
    };
    gesture.onKey = ({ run, zoom, move }) => {
      if (!this.computation) return;
      const [i, j] = this.focusCell ?? [0, 0];
      if (run) {
        if (this.focusCell) this.run(this.focusCell);
      } else if (zoom) {
        // + and − zoom in and out around the cell under the focus.
        const box = cellBox(this.measured(), [i, j]);
        this.zoomAround({ x: box.x + box.width / 2, y: box.y + box.height / 2 }, zoom);
      } else {
        const { columns, rows } = this.computation;
        this.focusCell = [Math.min(columns - 1, Math.max(0, i + move[0])), Math.min(rows - 1, Math.max(0, j + move[1]))];
        this.paint();
        this.tell(this.focusCell);
      }
    };
  }
}
