// The map's workers: one for each core, at most MOST, each with an instance of
// the module of its own (map-worker.mjs), so that the page's thread only paints
// and answers. Where the browser refuses workers there are none.

// A job waiting beside the one a worker computes, so that it never idles
// between the two.
const JOBS_EACH = 2;
// More workers than this would only wait for the page to paint.
const MOST = 8;

export class Workers {
  // module: the compiled module; script: the workers' { url, type }. The
  // workers start with start().
  constructor(module, script) {
    this.module = module;
    this.script = script;
    this.ready = [];          // the workers that have loaded the module
    this.answers = new Map(); // by job number: { resolve, reject, worker }
    this.jobs = 0;
    this.left = 0;            // cores left to the program and the page
    this.onReady = () => {};  // told whenever a worker can take jobs
  }

  start() {
    const count = Math.min(MOST, Math.max(1, navigator.hardwareConcurrency || 1));
    try {
      for (let k = 0; k < count; k++) this.add(this.script);
    } catch {
      // No workers here: the map computes on the page's thread.
    }
  }

  add(source) {
    const worker = new Worker(source.url, { type: source.type });
    worker.jobs = 0;
    worker.addEventListener('message', ({ data }) => {
      if (data.ready) {
        this.ready.push(worker);
        this.onReady();
      } else if (data.failed) {
        this.lose(worker, new Error(data.failed));
      } else {
        const { resolve } = this.answers.get(data.job);
        this.answers.delete(data.job);
        worker.jobs--;
        resolve(data);
      }
    });
    // A worker refused or broken takes its jobs with it: they are answered
    // with an error, and the page computes them itself.
    worker.addEventListener('error', (event) => {
      event.preventDefault();
      this.lose(worker, new Error(event.message || 'a worker failed'));
    });
    worker.postMessage({ module: this.module });
  }

  lose(worker, error) {
    worker.terminate();
    this.ready = this.ready.filter((other) => other !== worker);
    for (const [job, answer] of this.answers) {
      if (answer.worker === worker) {
        this.answers.delete(job);
        answer.reject(error);
      }
    }
  }

  // How many workers compute.
  get count() {
    return this.ready.length;
  }

  // While the program runs in the console, the map leaves two cores to it:
  // one for the program, one for the page that shows its lines. On a
  // machine of two cores the map waits for the run to wait or end.
  leaveCores(running) {
    const left = running ? 2 : 0;
    if (left === this.left) return;
    this.left = left;
    if (!running) this.onReady();
  }

  // The workers that take jobs now.
  get taking() {
    return this.ready.slice(0, Math.max(0, this.ready.length - this.left));
  }

  // Whether a worker can take a job now.
  get room() {
    return this.taking.some((worker) => worker.jobs < JOBS_EACH);
  }

  // A job's outcomes (web/views/map/map.mjs), from the worker with the fewest jobs,
  // for as many of its cells as it comes to in `ms` (and its first
  // `atLeast`): a Promise of { outcomes, ms }.
  compute(job, ms) {
    const worker = this.taking.reduce((least, next) => (next.jobs < least.jobs ? next : least));
    const number = ++this.jobs;
    worker.jobs++;
    const { roundings, points, limit, atLeast } = job;
    worker.postMessage({ job: number, roundings, points, limit, atLeast, ms });
    return new Promise((resolve, reject) => this.answers.set(number, { resolve, reject, worker }));
  }
}
