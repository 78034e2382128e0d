// The runs of the session on screen, followed from what the program writes:
// each iterate line checked against the program's own step, the latest runs
// kept, the run chosen, the first NaN, the Done line; the views read them here.
import { Bytes } from '../module/bytes.mjs';
import { bitsAt } from '../module/program.mjs';
import { formatG } from '../shared/scale.mjs';
import { ITERATE, ITERATES, Lines } from './lines.mjs';
import { Ending } from './ending.mjs';

// Runs kept for stepping: between KEPT and twice as many.
const KEPT = 1000;
// Iterates past this cannot be drawn: their f, and a view around them, would
// be beyond a double.
export const FAR = 1e100;
const near = (value) => value !== undefined && Math.abs(value) <= FAR;

export class Runs {
  constructor(program) {
    this.program = program;
    this.session = 0;      // which start of the program these runs are of
    this.rounding = null;  // another rounding's run beside them: { label, start, startBits, iterates, done, parts }
    this.onChange = () => {};  // (urgent): runs came, or, if urgent, a person chose one or the session ended
    this.reset();
  }

  // A new session: nothing read, nothing run.
  reset() {
    this.session++;
    this.decoder = new TextDecoder();
    this.pending = new Bytes();  // written, not yet followed
    this.partial = '';     // the output line not yet ended
    this.lines = 0;        // output lines seen
    this.read = undefined; // what the program read, once its reads are done
    this.runs = [];        // the latest KEPT: { number, from, to, text, followed, bits }
    this.count = 0;        // runs printed
    this.last = null;      // the latest iterate: { value, bits, text }, null where not followed
    this.notDrawn = [];    // [{ first, last, text }]: runs that cannot be drawn, and why
    this.done = null;      // the count on the Done line
    this.firstNaN = null;  // the run after which the iterate is NaN (0: the start)
    this.chosen = null;    // the run chosen while stepping, else null: following
    this.doneRun = null;   // the unchanging run that brought the Done line
    this.ending = new Ending(this.program);
    this.onChange(true);
  }

  // What the program read (web/module/program.mjs), known once its reads
  // have all been answered: before it writes its first iterate or Done line.
  setRead(read) {
    this.read = read;
    this.last = { value: read.start, bits: read.startBits, text: this.program.format(read.startBits) };
    if (Number.isNaN(read.start)) this.firstNaN = 0;
  }

  // Bytes the program wrote, followed by update().
  add(bytes) {
    this.pending.append(bytes);
  }

  get waiting() {
    return this.pending.length;
  }

  update() {
    const text = this.partial + this.decoder.decode(this.pending.view(), { stream: true });
    this.pending.clear();
    const lines = new Lines(text);
    this.partial = lines.rest;
    // A fast run brings nothing but iterate lines, followed in one go; else
    // each line is looked at.
    if (this.lines > 0 && ITERATES.test(lines.whole)) {
      this.lines += lines.count;
      this.addIterates(lines, 0, lines.count);
    } else {
      let first = 0;  // the first iterate line not yet followed
      for (let k = 0; k < lines.count; k++) {
        this.lines++;
        const line = lines.text(k);
        if (this.lines > 1 && ITERATE.test(line)) continue;
        this.addIterates(lines, first, k);
        first = k + 1;
        // The question, the prompts and the empty lines say nothing of the runs.
        const done = /^Done after: (\d+) runs$/.exec(line);
        if (done) this.done = Number(done[1]);
      }
      this.addIterates(lines, first, lines.count);
    }
    this.onChange(this.ended());
  }

  // Whether the iteration is over: a Done line, or as many runs as the limit.
  ended() {
    return Boolean(this.read) && (this.done !== null || this.count >= this.read.limit);
  }

  // Iterate lines `first` to `end` - 1, one for each run, followed by the
  // program's own runs from the last iterate, all in one call. Only the
  // latest are kept, and only their texts are made.
  addIterates(lines, first, end) {
    const count = end - first;
    if (count === 0) return;
    const values = this.last ? this.program.iterates(0, this.last.bits, this.read.lambdaBits, count) : [];
    let from = this.last;
    let fromValue = this.last?.value;
    for (let k = 0; k < count; k++) {
      const number = ++this.count;
      const value = values[k];  // undefined where the page could not follow
      if (this.firstNaN === null && Number.isNaN(value)) this.firstNaN = number;
      if (!near(fromValue) || !near(value)) this.noteNotDrawn(number, fromValue, value, lines, first + k);
      const to = value !== undefined && k >= count - 2 * KEPT - 1
        ? { value, bits: bitsAt(values, k), text: lines.text(first + k) } : null;
      if (k >= count - 2 * KEPT) this.runs.push({ number, from, to, text: lines.text(first + k) });
      from = to;
      fromValue = value;
    }
    this.last = from;
    if (this.runs.length >= 2 * KEPT) this.runs.splice(0, this.runs.length - KEPT);
  }

  // Run `number` from `from` to `to` (each undefined where the page could
  // not follow), whose line is line k, cannot be drawn: noted with its
  // reason, beside the runs before it for the same reason. Where the reason
  // is the line itself, as for NaN, the line is only compared.
  noteNotDrawn(number, from, to, lines, k) {
    const last = this.notDrawn.at(-1);
    const followed = from !== undefined && to !== undefined;
    if (followed && !(Number.isFinite(to) && Number.isFinite(from))) {
      if (last?.last === number - 1 && lines.is(k, last.text)) last.last = number;
      else this.noteReason(number, lines.text(k));
    } else {
      this.noteReason(number, followed ? `beyond ±${formatG(FAR)}` : `${lines.text(k)}, an iterate this page could not follow`);
    }
  }

  noteReason(number, reason) {
    const last = this.notDrawn.at(-1);
    if (last && last.text === reason && last.last === number - 1) last.last = number;
    else this.notDrawn.push({ first: number, last: number, text: reason });
    if (this.notDrawn.length > 100) this.notDrawn.splice(1, 1);
  }

  // Runs on the curve in a view a double can hold: finite, and not so far
  // out that f overflows.
  inView(run) {
    return near(run.from?.value) && near(run.to?.value);
  }

  // Whether the iterate the page stepped to is the one printed. Asked of the
  // runs shown only: a run of millions of lines is not slowed.
  followed(run) {
    run.followed ??= Boolean(run.to) && run.to.text === this.program.format(run.to.bits);
    return run.followed;
  }

  drawable(run) {
    return this.inView(run) && this.followed(run);
  }

  // Where the tangent at the run's iterate meets the axis: the undamped step.
  meets(run) {
    run.meets ??= this.program.step(run.from.value, 1);
    return run.meets;
  }

  // The run to the last bit, once: the program's step from the iterate it
  // started on, where that iterate is the one printed; else null.
  bitsOf(run) {
    if (run.bits === undefined) {
      run.bits = run.from && this.followed(run) ? this.program.bits(run.from.bits, this.read.lambdaBits) : null;
    }
    return run.bits;
  }

  // Stepping, among the runs kept. The chosen run stays chosen while the
  // program goes on and older runs are let go.
  step(by) {
    if (this.runs.length === 0) return;
    const first = this.runs[0].number;
    const last = this.runs.at(-1).number;
    const current = this.chosen?.number ?? (by < 0 ? last + 1 : last);
    const number = Math.min(last, Math.max(first, current + by));
    this.choose(this.runs.find((run) => run.number === number) ?? this.runs[0]);
  }

  follow() {
    this.choose(null);
  }

  choose(run) {
    this.chosen = run;
    this.onChange(true);
  }

  // A run chosen in the table: it stays chosen though it may have been let
  // go since the table showed it. The unchanging run that brought the Done
  // line is where following the run ends.
  chooseRow(run) {
    this.choose(run.number === this.done ? null : run);
  }

  // A run chosen by its number, if it is kept; else the run is followed.
  chooseNumber(number) {
    this.choose(this.runs.find((run) => run.number === number) ?? null);
  }

  // The runs kept, and the one that left the iterate unchanged, with the
  // index of the chosen one. A chosen run no longer kept stands alone.
  list() {
    if (this.chosen && !this.runs.includes(this.chosen)) return { list: [this.chosen], chosen: 0 };
    const list = this.runs.slice();
    if (this.done !== null && this.read) {
      // The unchanging run starts, and ends, where the last one landed.
      const from = this.last;
      if (this.doneRun?.number !== this.done || this.doneRun.from !== from) {
        this.doneRun = { number: this.done, text: `Done after: ${this.done} runs`, from, to: from, followed: true };
      }
      list.push(this.doneRun);
    }
    return { list, chosen: this.chosen ? list.indexOf(this.chosen) : list.length - 1 };
  }

  // Why the runs end, or why they have not: what endingText() says.
  why() {
    return this.ending.of(this);
  }

  // The cycle of doubles the runs go round, once why() has found one, else
  // null: { run, period, span, doubles, fx, gaps } (Program.ending).
  cycle() {
    return this.ending.found.cycle;
  }

  // Another rounding's run beside the program's, or null.
  setRounding(rounding) {
    this.rounding = rounding;
    this.onChange(true);
  }
}
