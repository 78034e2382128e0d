// The console's program in a worker of its own (runner-worker.mjs), its host
// the console, answered by message, so that the page's thread only shows and
// answers; where the worker is refused or late, it runs on the page's thread.
import { run, Stopped } from './wasi.mjs';

// How long a session waits for the worker to be ready before it runs here.
const READY_MS = 2000;

export class Runner {
  // module: the compiled module; script: the worker's { url, type }. The
  // worker starts with start().
  constructor(module, script) {
    this.module = module;
    this.script = script;
    this.onPlace = () => {};  // (here): whether the latest session runs on the page's thread
    this.worker = null;   // once start() has made it
    this.current = null;  // the session being made in the worker: its number and its messages
    this.here = false;    // whether the latest session runs on the page's thread
    this.isReady = false;
    this.sessions = 0;
    this.ready = new Promise((ready) => {
      this.becomeReady = (inWorker) => {
        this.isReady = inWorker;
        ready(inWorker);
      };
    });
  }

  start() {
    try {
      this.worker = new Worker(this.script.url, { type: this.script.type });
      this.worker.addEventListener('message', ({ data }) => {
        if (data.ready) this.becomeReady(true);
        else if (data.session === this.current?.number) this.current.told(data);
      });
      this.worker.addEventListener('error', (event) => {
        event.preventDefault();
        this.lost(new Error(event.message || 'the worker failed'));
        this.becomeReady(false);
      });
      this.worker.postMessage({ module: this.module });
    } catch {
      this.becomeReady(false);
    }
  }

  // Runs the program with the console's host; resolves to its exit status,
  // or rejects as run() does. It waits for the worker to be ready, unless
  // asked to start `now`; `here` tells whether it runs on the page's thread.
  async run(host, { now = false } = {}) {
    this.runsHere(!this.isReady);
    const late = new Promise((wait) => setTimeout(wait, READY_MS, false));
    const inWorker = this.isReady || (!now && await Promise.race([this.ready, late]));
    this.runsHere(!inWorker);
    if (!inWorker) return run(this.module, host);
    this.stop();
    const number = ++this.sessions;
    return new Promise((resolve, reject) => {
      const post = (message, transfer = []) => this.worker.postMessage({ to: number, ...message }, transfer);
      // Each call of the program's is the host's, and its answer the worker's.
      const answer = (asked, reply) => Promise.resolve(asked).then(reply, (error) => {
        if (this.current?.number !== number) return;
        this.stop();
        reject(error);
      });
      this.current = {
        number,
        told: (data) => {
          if ('write' in data) answer(host.write(data.write, data.bytes), (errno) => post({ taken: errno }));
          // A line read is a view of all that was typed: only the line goes.
          else if ('read' in data) {
            answer(host.read(data.read), (input) => {
              const line = input.slice?.();
              post({ answer: line ?? input }, line ? [line.buffer] : []);
            });
          }
          else if ('close' in data) answer(host.close(data.close), (errno) => post({ answer: errno }));
          else {
            this.current = null;
            if ('exit' in data) resolve(data.exit);
            else reject(data.stopped ? new Stopped() : new Error(data.failed));
          }
        },
      };
      this.worker.postMessage({ start: number });
    });
  }

  runsHere(here) {
    this.here = here;
    this.onPlace(here);
  }

  // The session in the worker is let go: it ends at its next call.
  stop() {
    if (!this.current) return;
    this.worker.postMessage({ stop: this.current.number });
    this.current = null;
  }

  lost(error) {
    const current = this.current;
    this.current = null;
    current?.told({ failed: error.message });
  }
}
