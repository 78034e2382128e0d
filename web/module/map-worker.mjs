// A map's worker (map-workers.mjs): an instance of the module that never runs
// main() computes the cells it is handed, for as long as the job may take,
// and answers with their outcomes and the time they took.
import { Program } from './program.mjs';

let program = null;

addEventListener('message', async ({ data }) => {
  try {
    if (data.module) {
      program = await Program.load(data.module);
      postMessage({ ready: true });
      return;
    }
    const started = performance.now();
    const outcomes = program.outcomes(data.roundings, data.points, data.limit, started + data.ms, data.atLeast);
    postMessage({ job: data.job, outcomes, ms: performance.now() - started }, [outcomes.buffer]);
  } catch (error) {
    postMessage({ failed: error.message });
  }
});
