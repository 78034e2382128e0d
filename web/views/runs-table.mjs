// The table of runs to the last bit around the chosen run: each iterate as the
// double it is (shortest decimal, %a), how many doubles the run moved it, the
// step's own values, another rounding's iterate beside; and why the runs end.
import { bitsAt } from '../module/program.mjs';
import { Throttle } from '../shared/throttle.mjs';

// Rows of the table around the chosen run.
const ROWS = 21;
// How often the table and the sentence follow a run as it comes: a table
// each frame made the long run a tenth slower, and nobody reads sixty a second.
const REDRAW_MS = 500;

// A run's columns after its number and its line: the iterate it lands on,
// how far it moved, the step's own values, and the step in gaps.
const fieldsOf = (bits) => [bits.to.shortest, bits.to.hex, bits.ulps, bits.fx, bits.dfx, bits.quotient, bits.step,
  bits.gaps.size];

// Under half a gap, x − step rounds back to x: that is the run the Done line
// counts. At exactly half, the hardware decides.
const stillClass = ({ size, tie }) => (tie ? 'tie' : Number(size) < 0.5 ? 'under-half' : '');

// Where a text of the program's parts from the one before: the ends of the
// stretch between their common start and their common end.
function parting(text, before) {
  let start = 0;
  while (start < text.length && text[start] === before[start]) start++;
  let end = text.length;
  while (end > start && before.length - (text.length - end) > start
         && text[end - 1] === before[before.length - (text.length - end) - 1]) end--;
  return [start, end];
}

// A cell whose text differs from `before`: the digits where they part are
// marked, and a screen reader says where the change is, in words that the
// style sheet adds (the cell's text stays the number, as it is copied).
function markedCell(cell, text, before) {
  const [start, end] = before === undefined ? [0, 0] : parting(text, before);
  if (start === end) {
    cell.textContent = text;
    return;
  }
  const changed = document.createElement('mark');
  changed.append(text.slice(start, end));
  changed.classList.toggle('then', end < text.length);
  cell.append(text.slice(0, start), changed, text.slice(end));
}

export class RunsTable {
  // table: its body and caption are filled; ending: the sentence.
  constructor({ table, ending }, runs, program) {
    this.table = table;
    this.ending = ending;
    this.runs = runs;
    this.program = program;
    this.rows = [];               // the runs in the table
    this.rounding = null;         // another rounding's run, in a column of its own
    this.filledWith = undefined;  // the rounding beside them when they were made
    this.keepRows = false;        // whether the next table keeps the rows it has
    this.shownKey = '';
    this.session = 0;             // the session the rows are of
    this.redraw = new Throttle(REDRAW_MS, () => this.draw());
    // A row is chosen as the button goes down: during a fast run the rows
    // may be made anew before it comes up. The rows stay where they are, so
    // that a second click, or a drag to select a number, meets the same row.
    table.tBodies[0].addEventListener('pointerdown', (event) => {
      const row = event.target.closest('tr');
      const run = row && this.rows.find((shown) => shown.number === Number(row.dataset.run));
      if (!run || event.button !== 0) return;
      this.keepRows = true;
      runs.chooseRow(run);
    });
  }

  changed(urgent) {
    this.redraw.soon(urgent || this.runs.chosen !== null);
  }

  // The rows around the chosen run. A chosen run no longer kept keeps the
  // rows it was chosen among.
  draw() {
    const runs = this.runs;
    if (this.session !== runs.session || this.rounding !== runs.rounding) {
      this.session = runs.session;
      this.setRounding(runs.rounding);
    }
    let { list, chosen } = runs.list();
    if (runs.chosen && !runs.runs.includes(runs.chosen) && this.rows.includes(runs.chosen)) {
      [list, chosen] = [this.rows, this.rows.indexOf(runs.chosen)];
    }
    const kept = this.keepRows ? list.findIndex((run) => run.number === this.rows[0]?.number) : -1;
    this.keepRows = false;
    const first = kept >= 0 && chosen >= kept && chosen < kept + ROWS ? kept
      : Math.max(0, Math.min(chosen - Math.floor(ROWS / 2), list.length - ROWS));
    const rows = list.slice(first, first + ROWS);
    const key = [rows[0]?.number, rows.length, list[chosen]?.number, runs.session].join(' ');
    if (key !== this.shownKey) {
      this.shownKey = key;
      for (const run of rows) runs.bitsOf(run);
      this.fillTable(rows, list[chosen]);
    }
    const why = runs.why();
    if (this.ending.textContent !== why) this.ending.textContent = why;
  }

  // Another rounding's run, in a column of its own, or none.
  setRounding(rounding) {
    this.rounding = rounding;
    const head = this.table.tHead.rows[0];
    head.querySelector('.other')?.remove();
    if (rounding) {
      const header = Object.assign(document.createElement('th'), { scope: 'col', className: 'other' });
      header.textContent = `with ${rounding.label}: iterate, %a`;
      head.append(header);
    }
    this.shownKey = '';
  }

  // The other rounding's iterate after the run, as the program writes %a;
  // empty beyond the runs it was followed for.
  otherHex(run) {
    const { iterates, done, startBits } = this.rounding;
    if (run.number <= iterates.length) return this.program.hex(bitsAt(iterates, run.number - 1));
    // After its Done line the iterate stays where the last run left it.
    return done ? this.program.hex(iterates.length ? bitsAt(iterates, iterates.length - 1) : startBits) : '';
  }

  fillTable(runs, chosen) {
    const body = this.table.tBodies[0];
    const same = runs.length === this.rows.length && runs.every((run, k) => run === this.rows[k]);
    this.rows = runs;
    if (same && this.filledWith === this.rounding) {
      // The same rows: only the chosen one moves, and a number being
      // selected stays selected.
      for (const row of body.rows) {
        const isChosen = Number(row.dataset.run) === chosen.number;
        row.classList.toggle('chosen', isChosen);
        if (isChosen) row.setAttribute('aria-current', 'true');
        else row.removeAttribute('aria-current');
      }
      this.captionTable(runs, chosen);
      return;
    }
    this.filledWith = this.rounding;
    body.replaceChildren(...runs.map((run) => {
      const row = document.createElement('tr');
      row.dataset.run = run.number;
      const header = document.createElement('th');
      header.scope = 'row';
      header.textContent = run.number;
      row.append(header);
      const bits = run.bits;
      const cell = (text, before) => {
        const td = document.createElement('td');
        markedCell(td, text, before);
        row.append(td);
      };
      cell(run.text);
      if (bits) {
        const [shortest, hex, ...rest] = fieldsOf(bits);
        cell(shortest, bits.from.shortest);
        cell(hex, bits.from.hex);
        for (const text of rest) cell(text);
        const still = stillClass(bits.gaps);
        if (still) row.lastChild.className = still;
      } else {
        // The columns after the run and its line, empty.
        for (let k = 2; k < this.table.tHead.rows[0].cells.length - Boolean(this.rounding); k++) cell('');
      }
      if (this.rounding) cell(this.otherHex(run), bits?.to.hex);
      if (run === chosen) {
        row.className = 'chosen';
        row.setAttribute('aria-current', 'true');
      }
      return row;
    }));
    this.captionTable(runs, chosen);
  }

  captionTable(runs, chosen) {
    this.table.caption.textContent = runs.length === 0 ? 'No runs yet'
      : `Runs ${runs[0].number} to ${runs.at(-1).number} to the last bit; run ${chosen.number} chosen`;
  }

  // The rows shown, as tab-separated lines under a header, for a spreadsheet.
  tableText() {
    const header = [...this.table.tHead.rows[0].cells].map((cell) => cell.textContent);
    const lines = [header.join('\t')];
    for (const run of this.rows) {
      const fields = run.bits ? fieldsOf(run.bits) : header.slice(2, this.rounding ? -1 : undefined).map(() => '');
      if (this.rounding) fields.push(this.otherHex(run));
      lines.push([run.number, run.text, ...fields].join('\t'));
    }
    return `${lines.join('\n')}\n`;
  }
}
