// Hands a map's cells out: a job to each of the workers that has room, or,
// while none can take one, slices of them computed on the page's thread
// between its turns. Each cell known is told to onCell; it never paints.
import { JOB_CELLS } from '../../map/cells.mjs';
import { nextTurn } from '../../shared/turn.mjs';

// How long cells are computed between two looks at the page, where there are
// no workers; and how long a job may take.
const SLICE_MS = 12;
const JOB_MS = 8;

export class Scheduler {
  constructor() {
    this.program = null;      // the page's own instance of the module
    this.workers = null;
    this.computation = null;  // the one being computed; an older one is let go
    this.slicing = false;
    this.onCell = () => {};   // (i, j, size, outcome) of the current computation
    this.onProgress = () => {};  // after each slice or job
  }

  get workerCount() {
    return this.workers?.count ?? 0;
  }

  start(computation) {
    this.computation = computation;
    this.compute();
  }

  compute() {
    const computation = this.computation;
    if (!computation) return;  // workers ready before the first map
    const onCell = (i, j, size, outcome) => {
      if (computation === this.computation) this.onCell(i, j, size, outcome);
    };
    if (this.workerCount) {
      for (let job; this.workers.room && (job = computation.take(this.jobCells(computation), onCell));) {
        this.send(computation, job, onCell);
      }
    } else if (!this.slicing) {
      this.slicing = true;
      const more = computation.next(performance.now() + SLICE_MS, onCell);
      nextTurn(() => {
        this.slicing = false;
        if (more || computation !== this.computation) this.compute();
      });
    }
    this.onProgress();
  }

  // A job to a worker; one that a lost worker took with it is computed here.
  send(computation, job, onCell) {
    this.workers.compute(job, JOB_MS).then(({ outcomes, ms }) => {
      computation.msPerCell = ms / outcomes.length;
      computation.finish(job, outcomes, onCell);
    }, () => computation.finish(job, job.computeWith(this.program, performance.now() + JOB_MS), onCell))
      .then(() => this.compute());
  }

  // Cells for a job of about JOB_MS, as the last job of the computation took.
  jobCells(computation) {
    if (!computation.msPerCell) return JOB_CELLS;
    return Math.round(Math.min(4096, Math.max(16, JOB_MS / computation.msPerCell)));
  }
}
