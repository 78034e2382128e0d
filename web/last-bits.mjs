// The runs to the last bit: for the run chosen in the picture and the runs
// around it, a table of each iterate as the double it is (the shortest decimal
// that reads back as it, and C's %a), how many doubles the run moved it, and
// the step's own values; why the runs end, or never do, in words; and a plot
// of how far each run moved the iterate, in ulps on a log scale; and where
// another rounding of the step is drawn, its iterate beside the program's,
// marked where the two part. Every digit,
// text and count comes from the program (web/program.mjs): this only lays
// them out, and finds where two of its texts part.

import { element, leftMargin, ticks } from './picture.mjs';
import { bitsAt } from './program.mjs';

// Rows of the table around the chosen run, and runs in the plot.
const ROWS = 21;
const PLOTTED = 100;
// The plot's size in its own units, and its margins.
const WIDTH = 520;
const HEIGHT = 220;
const MARGIN = { left: 44, right: 12, top: 12, bottom: 30 };
// A cycle's doubles named in its sentence; the rest are counted.
const NAMED = 6;
// How often the table, the plot and the sentence follow a run as it comes.
const REDRAW_MS = 500;
// Runs the program takes again from the start point, at most, to find where
// a cycle began before the earliest run kept: a few tens of milliseconds,
// once, and only as many as come before the cycle.
const FROM_START = 300000;

// A count of ulps in words: "+9" as "9 ulps up", "-1" as "1 ulp down".
function ulpWords(ulps) {
  if (ulps === 'NaN') return 'to NaN';
  if (ulps === '0') return 'not at all';
  const size = ulps.slice(1);
  return `${size} ${size === '1' ? 'ulp' : 'ulps'} ${ulps[0] === '+' ? 'up' : 'down'}`;
}

const plural = (count, one, many) => `${count.toLocaleString('en')} ${count === 1 ? one : many}`;

// The sentence that says why the run ended, or why it has not, from the
// program's own look at the runs kept (Program.ending): `nan` and `cycle`
// give the run after which the iterate is NaN or goes round the cycle, and
// `earliest` where that is only the earliest run kept.
export function endingText({ done, last, count, limit, finished, nan, cycle }) {
  if (done !== null) return `run ${done} left the iterate unchanged: Done after: ${done} runs`;
  if (count === 0) {
    return limit <= 0 && finished ? `the limit of ${limit} runs allows none: no iterate line and no Done line` : '';
  }
  const from = ({ run, earliest }) => (run === 0 ? 'from the start point on'
    : `from run ${run} on${earliest ? ' (the earliest run kept)' : ''}`);
  if (nan) {
    return `${from(nan)} the iterate is NaN, and NaN never equals itself: no run passes the stop test, `
      + `so no Done line comes and the runs go on${finished ? `, all ${plural(limit, 'run', 'runs')} to the limit` : ''}`;
  }
  if (cycle) {
    const { period, span, doubles } = cycle;
    const apart = `${span} ${span === '1' ? 'ulp' : 'ulps'}`;
    const named = doubles.slice(0, NAMED).join(', ') + (period > NAMED ? ` and ${period - NAMED} more` : '');
    const how = period === 2 ? `alternates between two doubles ${apart} apart, ${doubles.join(' and ')}`
      : `goes round a cycle of ${period} doubles within ${apart}, ${named}`;
    return `${from(cycle)} the iterate ${how}: no run leaves it unchanged, so no Done line comes`;
  }
  const moved = last.bits ? ulpWords(last.bits.ulps) : 'to an iterate this page could not follow';
  return `run ${last.number} moved the iterate ${moved}`
    + (finished ? `, and then the limit of ${plural(limit, 'run', 'runs')} came: no Done line` : '');
}

// A run's columns after its number and its line: the iterate it lands on,
// how far it moved, and the step's own values.
const fieldsOf = (bits) => [bits.to.shortest, bits.to.hex, bits.ulps, bits.fx, bits.dfx, bits.quotient, bits.step];

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

export class LastBits {
  // elements: table (its body and caption are filled), ending (the
  // sentence), plot (an SVG) and plotCaption; program: the program's own
  // arithmetic.
  constructor({ table, ending, plot, plotCaption }, program) {
    Object.assign(this, { table, ending, plot, plotCaption, program });
    this.onChoose = () => {};  // told the run whose row was chosen
    plot.setAttribute('viewBox', `0 0 ${WIDTH} ${HEIGHT}`);
    this.runsOf = null;  // the picture's runs that what was found is of
    this.rows = [];  // the runs in the table
    this.filledWith = undefined;  // the rounding beside them when they were made
    this.rounding = null;  // another rounding's run, in a column of its own
    this.keepRows = false;  // whether the next table keeps the rows it has
    // A row is chosen as the button goes down: during a fast run the rows
    // may be made anew before it comes up. The rows stay where they are, so
    // that a second click, or a drag to select a number, meets the same row.
    table.tBodies[0].addEventListener('pointerdown', (event) => {
      const row = event.target.closest('tr');
      const run = row && this.rows.find((shown) => shown.number === Number(row.dataset.run));
      if (!run || event.button !== 0) return;
      this.keepRows = true;
      this.onChoose(run);
    });
  }

  // The run's bits, once: the program's step from the iterate it started
  // on, where that iterate is the one printed.
  bitsOf(picture, run) {
    if (run.bits === undefined) {
      run.bits = run.from && picture.followed(run) ? this.program.bits(run.from.bits, picture.read.lambdaBits) : null;
    }
    return run.bits;
  }

  // The runs kept, and the one that left the iterate unchanged, with the
  // index of the chosen one. A chosen run no longer kept stands alone.
  listOf(picture) {
    if (picture.selected && !picture.runs.includes(picture.selected)) {
      // Chosen in the table after the picture let it go: the table stays.
      const at = this.rows.indexOf(picture.selected);
      return at >= 0 ? { list: this.rows, chosen: at } : { list: [picture.selected], chosen: 0 };
    }
    const list = picture.runs.slice();
    if (picture.done !== null && picture.read) {
      // The unchanging run starts, and ends, where the last one landed.
      const from = picture.last;
      if (this.doneRun?.number !== picture.done || this.doneRun.from !== from) {
        this.doneRun = { number: picture.done, text: `Done after: ${picture.done} runs`, from, to: from, followed: true };
      }
      list.push(this.doneRun);
    }
    return { list, chosen: picture.selected ? list.indexOf(picture.selected) : list.length - 1 };
  }

  // Another rounding's run (web/roundings.mjs): { label, start, iterates,
  // done }, or null for none.
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

  // After each drawing of the picture: the rows and the plot around its
  // chosen run, and the sentence of why the runs end.
  show(picture) {
    if (this.runsOf !== picture.runs) {
      // Another run: what the earlier windows found is forgotten.
      this.runsOf = picture.runs;
      this.found = { nan: null, cycle: null };
      this.shownKey = '';
      this.endingKey = '';
      this.shownAt = -Infinity;
    }
    // While the run is followed as it comes, all this is shown afresh twice
    // a second, not at every frame: the frames are the program's time (a
    // table each frame made the long run a tenth slower), and nobody reads
    // sixty tables a second.
    clearTimeout(this.later);
    const wait = this.shownAt + REDRAW_MS - performance.now();
    if (picture.selected === null && !picture.ended() && wait > 0) {
      this.later = setTimeout(() => this.show(picture), wait);
      return;
    }
    this.shownAt = performance.now();
    const { list, chosen } = this.listOf(picture);
    const window = (size) => {
      const first = Math.max(0, Math.min(chosen - Math.floor(size / 2), list.length - size));
      return list.slice(first, first + size);
    };
    const kept = this.keepRows ? list.findIndex((run) => run.number === this.rows[0]?.number) : -1;
    this.keepRows = false;
    const rows = kept >= 0 && chosen >= kept && chosen < kept + ROWS ? list.slice(kept, kept + ROWS) : window(ROWS);
    const plotted = window(PLOTTED);
    const key = [rows[0]?.number, rows.length, plotted[0]?.number, plotted.length, list[chosen]?.number].join(' ');
    if (key !== this.shownKey) {
      this.shownKey = key;
      for (const run of plotted) this.bitsOf(picture, run);
      for (const run of rows) this.bitsOf(picture, run);
      this.fillTable(rows, list[chosen]);
      this.drawPlot(plotted, list[chosen]);
    }
    this.explain(picture);
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

  // Why the runs end: asked of the program once per new run or end, over
  // the runs kept. What an earlier window found stands for the runs that
  // have since been let go.
  explain(picture) {
    const { runs, read } = picture;
    const ended = picture.ended();
    const key = [runs[0]?.number, runs.length, picture.done, ended].join(' ');
    if (key === this.endingKey) return;
    this.endingKey = key;
    if (!read) {
      this.ending.textContent = '';
      return;
    }
    // NaN stays NaN and a cycle goes round for ever: once found, neither is
    // looked for again. The picture notes the first NaN as the lines come.
    if (picture.firstNaN !== null) this.found.nan ??= { run: picture.firstNaN, earliest: false };
    if (picture.done === null && runs.length && runs[0].from && !this.found.nan && !this.found.cycle) {
      const offset = runs[0].number - 1;  // runs before the earliest kept
      const { cycle } = this.program.ending(runs[0].from.bits, runs.length, read.lambdaBits);
      if (cycle) this.found.cycle = { ...cycle, run: offset + cycle.after, earliest: cycle.after === 0 && offset > 0 };
      // A cycle going round at the earliest run kept may have begun before
      // it: the program finds where, if among the first FROM_START runs.
      const began = this.found.cycle?.earliest
        ? this.program.cycleStart(read.startBits, cycle.period, Math.min(offset + runs.length, FROM_START), read.lambdaBits)
        : null;
      if (began !== null) {
        // The same doubles, named from the first the runs came to.
        const turn = (((began - offset) % cycle.period) + cycle.period) % cycle.period;
        const doubles = [...cycle.doubles.slice(turn), ...cycle.doubles.slice(0, turn)];
        this.found.cycle = { ...this.found.cycle, doubles, run: began, earliest: false };
      }
    }
    const last = runs.at(-1);
    if (last) this.bitsOf(picture, last);
    this.ending.textContent = endingText({
      done: picture.done, last, count: picture.count, limit: read.limit, finished: ended, ...this.found,
    });
  }

  // Each run's move on a log scale of ulps, from 1 up; below it a row for
  // the runs that moved it not at all, above it one for NaN.
  drawPlot(runs, chosen) {
    const svg = this.plot;
    svg.replaceChildren();
    // Before any run, no axis: it would be an axis of nothing.
    this.plotCaption.textContent = '';
    if (runs.length === 0) return;
    const sizes = runs.map((run) => {
      const ulps = run.bits?.ulps;
      if (ulps === undefined) return null;
      return ulps === 'NaN' || ulps === '0' ? ulps : Number(ulps.slice(1));
    });
    const largest = Math.max(1, ...sizes.filter((size) => typeof size === 'number'));
    const decades = Math.max(1, Math.ceil(Math.log10(largest)));
    // The NaN row on top and the row of no move at the bottom, each set
    // apart from the log scale between them by a rule.
    const nanY = MARGIN.top + 4;
    const zeroY = HEIGHT - MARGIN.bottom - 4;
    const plotTop = nanY + 22;
    const plotBottom = zeroY - 22;
    const every = Math.ceil(decades / 5);
    const powers = [];
    for (let d = 0; d <= decades; d += every) powers.push({ d, label: d <= 3 ? String(10 ** d) : `1e${d}` });
    const left = leftMargin([...powers.map(({ label }) => label), 'NaN'], MARGIN.left);
    const first = runs[0].number;
    const last = Math.max(runs.at(-1).number, first + 1);
    const px = (run) => left + 6 + ((run - first) / (last - first)) * (WIDTH - left - MARGIN.right - 12);
    const py = (size) => plotBottom - (Math.log10(size) / decades) * (plotBottom - plotTop);

    const axes = element('g', { class: 'axes' }, svg);
    for (const { d, label } of powers) {
      element('line', { x1: left, x2: WIDTH - MARGIN.right, y1: py(10 ** d), y2: py(10 ** d), class: 'grid' }, axes);
      element('text', { x: left - 6, y: py(10 ** d) + 4, 'text-anchor': 'end' }, axes).textContent = label;
    }
    for (const [y, label] of [[zeroY, '0'], [nanY, 'NaN']]) {
      element('text', { x: left - 6, y: y + 4, 'text-anchor': 'end' }, axes).textContent = label;
    }
    for (const y of [(nanY + plotTop) / 2, (zeroY + plotBottom) / 2]) {
      element('line', { x1: left, x2: WIDTH - MARGIN.right, y1: y, y2: y, class: 'axis' }, axes);
    }
    for (const run of ticks(first, last).filter(Number.isInteger)) {
      element('text', { x: px(run), y: HEIGHT - 10, 'text-anchor': 'middle' }, axes).textContent = run;
    }
    if (chosen && runs.includes(chosen)) {
      element('line', { x1: px(chosen.number), x2: px(chosen.number), y1: MARGIN.top, y2: HEIGHT - MARGIN.bottom,
        class: 'chosen-run' }, svg);
    }
    const points = element('g', { class: 'moves' }, svg);
    runs.forEach((run, k) => {
      const size = sizes[k];
      if (size === null) return;
      const y = size === 'NaN' ? nanY : size === '0' ? zeroY : py(size);
      const down = run.bits.ulps.startsWith('-');
      element('circle', {
        cx: px(run.number), cy: y, r: run === chosen ? 4.5 : 3,
        class: `move${down ? ' down' : ''}${run === chosen ? ' chosen' : ''}`,
        'data-run': run.number, 'data-ulps': run.bits.ulps,
      }, points);
    });
    const about = chosen?.bits ? `; run ${chosen.number} moved it ${ulpWords(chosen.bits.ulps)}` : '';
    this.plotCaption.textContent = `How far each run moved the iterate, in ulps on a log scale, `
      + `runs ${first} to ${runs.at(-1).number} (filled: up, hollow: down)${about}`;
  }
}
