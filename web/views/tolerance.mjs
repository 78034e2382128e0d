// The tolerance panel: where the usual stop, a tolerance on the step, would
// have ended the runs on screen, beside where the exact stop ends them. The
// learner may change the tolerance; the program reads it and runs the stop.
import { ROUNDING_RUNS } from '../module/roundings.mjs';
import { SCIPY_TOLERANCE, toleranceText } from '../runs/lesson.mjs';

export class TolerancePanel {
  // field: the tolerance typed; says: the sentences.
  constructor({ field, says }, runs, program) {
    this.field = field;
    this.says = says;
    this.runs = runs;
    this.program = program;
    this.shownKey = '';
    field.value = SCIPY_TOLERANCE;
    field.addEventListener('input', () => this.draw());
  }

  changed() {
    this.draw();
  }

  draw() {
    const { read, done, session } = this.runs;
    const ended = Boolean(read) && this.runs.ended();
    const key = [session, ended, this.field.value].join(' ');
    if (key === this.shownKey) return;
    this.shownKey = key;
    this.says.textContent = ended ? this.text(read, done) : 'Once the runs end, this says where a tolerance would have stopped them.';
  }

  text(read, done) {
    const tolerance = this.program.number(this.field.value);
    if (Number.isNaN(tolerance)) return `The program reads no number from “${this.field.value}”.`;
    // A tolerance stops no later than the exact stop, whose run leaves x
    // where it was; with no Done line, a limit of billions would take minutes.
    const limit = done ?? Math.min(read.limit, ROUNDING_RUNS);
    const stop = this.program.tolerance(read.startBits, read.lambdaBits, limit, tolerance);
    const within = done === null && limit < read.limit ? ` (of the first ${limit.toLocaleString('en')} runs)` : '';
    return [`A tolerance of ${this.program.shortest(tolerance)}${within}.`, ...toleranceText(this.runs, stop)].join(' ');
  }
}
