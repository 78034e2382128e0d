// The outcome of every cell of a grid, and of a comparison of two roundings,
// computed coarse cells first, handed out in jobs from one queue: a job's
// cells are given back where its time ran out, and no cell is computed twice.
import { outcomeOf } from '../module/outcome.mjs';
import { axisText } from './grid.mjs';

// Cells a job takes when nothing is known of how long they take.
export const JOB_CELLS = 64;
// The first pass's cells stand for COARSEST × COARSEST cells each.
const COARSEST = 8;

// Cells handed out together, to a worker or to the page's own instance of
// the module: for each, the computation it is for and where it is, and the
// start, λ and rounding it is computed with. A job is computed for as long
// as it may take; a cell that ends in 3 runs may lie beside one that runs to
// the limit. Only the coarsest cells, which cover the map until the finer
// come, are computed whole: a map left for another is left with no gap.
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
}

// Each pass takes every size-th cell of both axes that an earlier pass did
// not; a cell stands for the size × size cells from it until a finer pass.
function* passes(columns, rows) {
  for (let size = COARSEST; size >= 1; size /= 2) {
    for (let j = 0; j < rows; j += size) {
      for (let i = 0; i < columns; i += size) {
        if (size === COARSEST || i % (2 * size) !== 0 || j % (2 * size) !== 0) yield [i, j, size];
      }
    }
  }
}

// The queue both kinds share: cells in the passes' order, those a job gave
// back first; each known cell told to onCell(i, j, size, outcome) once.
class Cells {
  constructor(program, grid, limit) {
    this.program = program;
    this.grid = grid;
    this.limit = limit;
    this.columns = grid.start.count;
    this.rows = grid.lambda.count;
    this.cellCount = this.columns * this.rows;
    this.done = 0;          // cells known
    this.msPerCell = null;  // as the last job took
    this.drawn = false;     // whether the map has shown it yet
    this.returned = [];     // cells a job handed out and did not come to
    this.order = passes(this.columns, this.rows);
  }

  cells() {
    return passes(this.columns, this.rows);
  }

  // The next `count` cells not known, as a job, or null once every cell has
  // been handed out; cells known on the way are told at once.
  take(count, onCell) {
    const entries = this.returned.splice(0, count);
    while (entries.length < count) {
      const { value, done } = this.order.next();
      if (done) break;
      const [i, j, size] = value;
      const outcome = this.look(i, j);
      if (outcome !== undefined) onCell(i, j, size, outcome);
      else entries.push(...this.wanted(i, j, size));
    }
    return entries.length ? new Job(this.limit, entries) : null;
  }

  // A job's outcomes, as the module gave them: as many as it came to.
  finish(job, outcomes, onCell) {
    this.returned.push(...job.entries.slice(outcomes.length));
    this.record(job.entries.slice(0, outcomes.length), outcomes, onCell);
  }

  // Cells computed here until `until` (a performance.now() time): true
  // while cells are left.
  next(until, onCell) {
    for (;;) {
      const job = this.take(JOB_CELLS, onCell);
      if (!job) return false;
      this.finish(job, job.computeWith(this.program, until), onCell);
      if (performance.now() >= until) return true;
    }
  }
}

// The outcome of every cell with the step of `rounding` (0 the program's).
export class Computation extends Cells {
  constructor(program, grid, limit, rounding = 0) {
    super(program, grid, limit);
    this.rounding = rounding;
    this.outcomes = new Array(this.cellCount);  // undefined until computed
    this.results = new Int32Array(this.cellCount);  // the module's answers, which say why no Done line came
    // Each text as the program reads it, once per column and row.
    this.starts = Array.from({ length: this.columns }, (_, i) => program.number(axisText(grid.start, i)));
    this.lambdas = Array.from({ length: this.rows }, (_, j) => program.number(axisText(grid.lambda, j)));
  }

  // A cell's outcome if computed, else undefined.
  known(i, j) {
    return this.outcomes[j * this.columns + i];
  }

  // The module's answer for a cell computed (outcomeOf, reasonOf).
  result(i, j) {
    return this.results[j * this.columns + i];
  }

  look(i, j) {
    return this.known(i, j);
  }

  wanted(i, j, size) {
    return [{ computation: this, i, j, size }];
  }

  keep(i, j, result) {
    const at = j * this.columns + i;
    if (this.outcomes[at] === undefined) {
      this.outcomes[at] = outcomeOf(result);
      this.results[at] = result;
      this.done++;
    }
    return this.outcomes[at];
  }

  record(entries, outcomes, onCell) {
    entries.forEach(({ i, j, size }, k) => onCell(i, j, size, this.keep(i, j, outcomes[k])));
  }
}

// Each cell as the program ends it and as another rounding does: { own,
// other } once both are known; and how many cells differ.
export class Comparison extends Cells {
  constructor(own, other) {
    super(own.program, own.grid, own.limit);
    this.own = own;
    this.other = other;
    this.differ = 0;
    this.compared = new Uint8Array(this.cellCount);
    for (let j = 0; j < this.rows; j++) for (let i = 0; i < this.columns; i++) this.look(i, j);
  }

  known(i, j) {
    const own = this.own.known(i, j);
    const other = this.other.known(i, j);
    return own === undefined || other === undefined ? undefined : { own, other };
  }

  // The pair, counted the first time both sides are known.
  look(i, j) {
    const pair = this.known(i, j);
    const at = j * this.columns + i;
    if (pair && !this.compared[at]) {
      this.compared[at] = 1;
      this.done++;
      if (pair.own !== pair.other) this.differ++;
    }
    return pair;
  }

  wanted(i, j, size) {
    return [this.own, this.other].filter((side) => side.known(i, j) === undefined)
      .map((computation) => ({ computation, i, j, size }));
  }

  // A cell is told once, when both sides are known: a job may hold both.
  record(entries, outcomes, onCell) {
    entries.forEach(({ computation, i, j }, k) => computation.keep(i, j, outcomes[k]));
    for (const { i, j, size } of entries) {
      const told = this.compared[j * this.columns + i];
      const pair = this.look(i, j);
      if (pair && !told) onCell(i, j, size, pair);
    }
  }
}
