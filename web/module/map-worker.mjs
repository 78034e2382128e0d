// A worker of the map's (web/module/map-workers.mjs): an instance of the module of its
// own, which never runs main(), computes the cells it is handed, each start
// and λ with its rounding, for as long as the job may take, and answers with
// the outcomes of those it computed, as the module gives them, and how long
// they took. It computes; the page paints.
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
