// Other roundings of the step beside the program's, for the dialogue on
// screen: each one's outcome in the program's words, the run where its
// iterate first parts from the program's, and the real build that rounds so.

import { outcomeText } from '../module/outcome.mjs';
import { bitsAt } from '../module/program.mjs';
import { ROUNDINGS, ROUNDING_RUNS } from '../module/roundings.mjs';

const thousands = (count) => count.toLocaleString('en');

export class Roundings {
  // elements: body (the table's body), choice (the radio group), about (the
  // sentence of what is drawn); program: the program's own arithmetic.
  constructor({ body, choice, about }, program) {
    this.body = body;
    this.choice = choice;
    this.about = about;
    this.program = program;
    this.onChoose = () => {};  // told the rounding chosen, or null
    this.read = null;
    this.results = new Map();  // by rounding, for the run on screen: { outcome, parts }
    this.chosen = null;
    for (const { number, label } of ROUNDINGS) {
      const option = document.createElement('label');
      const radio = Object.assign(document.createElement('input'), { type: 'radio', name: 'rounding', value: number });
      option.append(radio, ` ${label}`);
      choice.append(option);
    }
    choice.addEventListener('change', () => this.choose(true));
    this.show(null);
  }

  get runs() {
    return this.read && Math.min(this.read.limit, ROUNDING_RUNS);
  }

  // The run on screen, from what the program read; null before it has read.
  show(read) {
    this.read = read;
    if (!read) {
      this.body.replaceChildren();
      this.about.textContent = 'The roundings are compared once the program has read its values.';
      this.choose();
      return;
    }
    const runs = this.runs;
    this.results = new Map([0, ...ROUNDINGS.map(({ number }) => number)].map((number) => [number, {
      outcome: this.program.outcome(read.start, read.lambda, runs, number),
      parts: number ? this.program.parts(number, read.startBits, read.lambdaBits, runs) : null,
    }]));
    const rows = [this.row('the program', 'its own step', this.outcome(0), '', 'every build of this program')];
    for (const rounding of ROUNDINGS) {
      rows.push(this.row(rounding.label, rounding.how, this.outcome(rounding.number),
        this.parting(rounding.number), rounding.build ?? 'no build of this program'));
    }
    this.body.replaceChildren(...rows);
    this.choose();
  }

  // An outcome in the program's words, within the runs followed.
  outcome(rounding) {
    const { outcome } = this.results.get(rounding);
    if (outcome > 0 || this.read.limit <= ROUNDING_RUNS) return outcomeText(outcome);
    return `no Done line in its first ${thousands(ROUNDING_RUNS)} runs`;
  }

  // Where the rounding's iterate first is not the program's.
  parting(rounding) {
    const { startBits: start, lambdaBits: lambda } = this.read;
    const runs = this.runs;
    const run = this.results.get(rounding).parts;
    if (run === null) {
      return runs > 0 ? `the same double after every run${runs < this.read.limit ? ` of the first ${thousands(runs)}` : ''}` : '';
    }
    const at = (iterates) => (iterates.length ? bitsAt(iterates, iterates.length - 1) : start);
    const theirs = this.program.hex(at(this.program.iterates(rounding, start, lambda, run)));
    const own = this.program.hex(at(this.program.iterates(0, start, lambda, run)));
    const same = run === 1 ? '' : `the same doubles up to run ${run - 1}; `;
    return `${same}run ${run}: ${theirs} for the program's ${own}`;
  }

  row(label, how, outcome, parting, build) {
    const row = document.createElement('tr');
    const header = document.createElement('th');
    header.scope = 'row';
    header.textContent = label;
    const cells = [how, outcome, parting, build].map((text) => {
      const cell = document.createElement('td');
      cell.textContent = text;
      return cell;
    });
    row.append(header, ...cells);
    return row;
  }

  // The rounding chosen to draw, told with its run from the start read, and
  // whether the choice was made by hand just now.
  choose(byHand = false) {
    const number = Number(this.choice.querySelector('input:checked')?.value ?? 0);
    const rounding = ROUNDINGS.find((r) => r.number === number) ?? null;
    if (!rounding || !this.read) {
      this.chosen = null;
      if (this.read) this.about.textContent = 'Only the program\'s run is drawn.';
      this.onChoose(null, byHand);
      return;
    }
    const { start, startBits, lambdaBits } = this.read;
    const iterates = this.program.iterates(rounding.number, startBits, lambdaBits, this.runs);
    const { outcome, parts } = this.results.get(rounding.number);
    this.chosen = { ...rounding, start, startBits, iterates, done: outcome > 0, parts };
    this.about.textContent = `The run with ${rounding.label} is drawn beside the program's, dashed, and its iterates `
      + 'stand beside the program\'s in the table: '
      + (parts === null ? 'the same double after every run.' : `they part at run ${parts}.`);
    this.onChoose(this.chosen, byHand);
  }
}
