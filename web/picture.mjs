// The picture: the run the program prints, drawn on the curve as it comes.
// For each run, the tangent at the iterate down to where it meets the axis,
// and the point where the damped step lands, which is the next iterate. The
// iterates are exact: the program's own step (web/program.mjs) from the start
// point and λ that the program read, each checked against its printed line.
// Where the tangent meets the axis is that step undamped. Another rounding's
// run (web/roundings.mjs) may be drawn beside it, dashed, from the module's
// iterates of that rounding. f is computed here only to place points on the
// drawing.

import { Bytes } from './bytes.mjs';
import { bitsAt } from './program.mjs';

const SVG = 'http://www.w3.org/2000/svg';
const WIDTH = 520;
const HEIGHT = 380;
const MARGIN = { left: 44, right: 16, top: 14, bottom: 30 };
// Runs kept for stepping (between KEPT and twice as many), and drawn at once
// while following the run.
const KEPT = 1000;
const DRAWN = 100;
// How often a run is drawn as it comes, and how often at most its caption
// is said to a screen reader meanwhile: a voice that is cut off ten times a
// second says nothing.
const DRAW_MS = 100;
const SAID_MS = 1500;
// The root, near -1.76929, is kept in view so that every picture shows where
// the method is going.
const ROOT_IN_VIEW = -1.7693;
// Iterates past this are not drawn: their f, and the view around them, would
// be beyond a double.
const FAR = 1e100;

const f = (x) => x ** 3 - 2 * x + 2;

// An iterate line as the program writes it: printf's %g, with inf and nan;
// and lines that are all iterate lines, each with its line end.
const ITERATE = /^[-+]?(\d+\.?\d*(e[-+]\d+)?|inf|nan)$/;
const ITERATES = /^(?:[-+]?(?:\d+\.?\d*(?:e[-+]\d+)?|inf|nan)\n)*$/;

// The ended lines of a text, found by their ends, each line's text made
// only when asked for; and the rest of the text, a line not yet ended.
class Lines {
  constructor(text) {
    this.source = text;
    this.ends = [];
    for (let at = text.indexOf('\n'); at !== -1; at = text.indexOf('\n', at + 1)) this.ends.push(at);
    const whole = this.ends.length ? this.ends.at(-1) + 1 : 0;
    this.whole = text.slice(0, whole);
    this.rest = text.slice(whole);
  }

  get count() {
    return this.ends.length;
  }

  start(k) {
    return k ? this.ends[k - 1] + 1 : 0;
  }

  text(k) {
    return this.source.slice(this.start(k), this.ends[k]);
  }

  // Whether line k is `text`.
  is(k, text) {
    return this.ends[k] - this.start(k) === text.length && this.source.startsWith(text, this.start(k));
  }
}

// A label of the axes, finite, in the program's notation: six significant
// digits, %g. The iterates' own texts come from the program.
function formatG(x) {
  if (x === 0) return Object.is(x, -0) ? '-0' : '0';
  const [, exponent] = x.toExponential(5).split('e');
  const e = Number(exponent);
  const trim = (digits) => (digits.includes('.') ? digits.replace(/\.?0+$/, '') : digits);
  if (e < -4 || e >= 6) {
    const [mantissa] = x.toExponential(5).split('e');
    return `${trim(mantissa)}e${e < 0 ? '-' : '+'}${String(Math.abs(e)).padStart(2, '0')}`;
  }
  return trim(x.toFixed(5 - e));
}

export const element = (name, attributes = {}, parent = null) => {
  const node = document.createElementNS(SVG, name);
  for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, value);
  if (parent) parent.append(node);
  return node;
};

// How wide a label is drawn in the picture and the plot, in their own
// units: about 0.62 em a character at the largest font size the style sheet
// gives them (on a phone, where the drawings are scaled down), so that each
// is drawn the same at every width, and its labels fit in it at every width.
const LABEL_EM = 18;
export const labelWidth = (label) => label.length * 0.62 * LABEL_EM;
// A left margin that the widest of these labels fits in, drawn 6 units from
// the plot, and at least `least`.
export const leftMargin = (labels, least) => Math.max(least, Math.ceil(10 + Math.max(0, ...labels.map(labelWidth))));

// Ticks at 1, 2 or 5 times a power of ten, about six across the range.
export function ticks(low, high) {
  const raw = (high - low) / 6;
  const power = 10 ** Math.floor(Math.log10(raw));
  const step = [1, 2, 5, 10].map((m) => m * power).find((s) => s >= raw);
  const first = Math.ceil(low / step);
  const list = [];
  for (let k = first; k * step <= high; k++) list.push(k * step + 0);  // + 0: no tick "-0"
  return list;
}

export class Picture {
  // svg: the picture; caption: the chosen run's numbers, and said: the same
  // for a screen reader; notes: what is not drawn, and how many runs are;
  // program: the program's own arithmetic.
  constructor(svg, { caption, said, notes }, program) {
    this.svg = svg;
    this.caption = caption;
    this.said = said;
    this.saidAt = -Infinity;
    this.saying = 0;         // a timer that says the caption once SAID_MS have passed
    this.notes = notes;
    this.program = program;
    this.onDraw = () => {};  // told after each drawing, with the view
    this.lockedX = null;     // an x range kept while the start is dragged
    this.left = MARGIN.left; // the left margin of the last drawing
    this.lockedLeft = null;  // and the one kept with a kept x range
    this.rounding = null;    // another rounding's run drawn beside, or null
    svg.setAttribute('viewBox', `0 0 ${WIDTH} ${HEIGHT}`);
    this.reset();
  }

  reset() {
    this.decoder = new TextDecoder();
    this.partial = '';    // the output line not yet ended
    this.lines = 0;       // output lines seen
    this.read = undefined; // what the program read, once its reads are done
    this.runs = [];       // the latest KEPT: {number, from, to, text, meets, followed}
    this.count = 0;       // runs printed
    this.last = null;     // the latest iterate, {value, text}
    this.notDrawn = [];   // [{first, last, text}] of runs not drawn, and why
    this.done = null;
    this.firstNaN = null; // the run after which the iterate is NaN (0: the start)
    this.selected = null; // the run chosen while stepping, else null: following
    this.pending = new Bytes();  // written, not yet followed
    this.frame = 0;
    this.draw();
  }

  // What the program read (web/program.mjs), known once its reads have all
  // been answered: before it writes its first iterate or Done line.
  setRead(read) {
    this.read = read;
    this.last = { value: read.start, bits: read.startBits, text: this.program.format(read.startBits) };
    if (Number.isNaN(read.start)) this.firstNaN = 0;
  }

  // The bytes of a write to standard output, followed at the next frame (or
  // at once, past a mebibyte: a tab in the background gets no frames).
  addOutput(bytes) {
    this.pending.append(bytes);
    if (this.pending.length > 2 ** 20) this.update();
    else if (!this.frame) this.frame = requestAnimationFrame(() => this.update());
  }

  update() {
    if (this.frame) cancelAnimationFrame(this.frame);
    this.frame = 0;
    const text = this.partial + this.decoder.decode(this.pending.view(), { stream: true });
    this.pending.clear();
    const lines = new Lines(text);
    this.partial = lines.rest;
    // A fast run brings a frame of nothing but iterate lines, followed in one
    // go; else each line is looked at.
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
    this.drawSoon();
  }

  // While a run pours in, it is drawn ten times a second, not at every
  // frame: the frames are the program's time, and nobody follows sixty
  // drawings a second. A run that has ended, or one chosen, is drawn at once.
  drawSoon() {
    clearTimeout(this.later);
    const wait = this.drawnAt + DRAW_MS - performance.now();
    if (this.selected === null && !this.ended() && wait > 0) this.later = setTimeout(() => this.draw(), wait);
    else this.draw();
  }

  // Whether the iteration is over: a Done line, or as many runs as the limit.
  ended() {
    return Boolean(this.read) && (this.done !== null || this.count >= this.read.limit);
  }

  // Iterate lines `first` to `end` - 1, one for each run, followed by the
  // program's own runs from the last iterate, all in one call. Only the
  // latest are kept as runs to step through, and only their texts are made.
  addIterates(lines, first, end) {
    const count = end - first;
    if (count === 0) return;
    const near = (value) => value !== undefined && Math.abs(value) <= FAR;
    const values = this.last ? this.program.iterates(0, this.last.bits, this.read.lambdaBits, count) : [];
    let from = this.last;             // { value, bits, text } where kept, null where not followed
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

  // Runs on the curve in a view a double can hold: finite, and not so far
  // out that f overflows.
  inView(run) {
    const near = (point) => point && Math.abs(point.value) <= FAR;
    return near(run.from) && near(run.to);
  }

  // Whether the iterate the page stepped to is the one printed. Asked of the
  // runs drawn and captioned only: a run of millions of lines is not slowed.
  followed(run) {
    if (run.followed === undefined) {
      run.followed = Boolean(run.to) && run.to.text === this.program.format(run.to.bits);
    }
    return run.followed;
  }

  drawable(run) {
    return this.inView(run) && this.followed(run);
  }

  // Run `number` from `from` to `to` (each undefined where the page could
  // not follow), whose line is line k of `lines`, is not drawn: noted with
  // its reason, beside the runs before it for the same reason. Where the
  // reason is the line itself, as for NaN, the line is only compared.
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

  // Where the tangent at the run's iterate meets the axis: the undamped step.
  meets(run) {
    run.meets ??= this.program.step(run.from.value, 1);
    return run.meets;
  }

  // Stepping, among the runs kept. The chosen run stays chosen while the
  // program goes on and older runs are let go.
  step(by) {
    if (this.runs.length === 0) return;
    const first = this.runs[0].number;
    const last = this.runs.at(-1).number;
    const current = this.selected?.number ?? (by < 0 ? last + 1 : last);
    const number = Math.min(last, Math.max(first, current + by));
    this.selected = this.runs.find((run) => run.number === number) ?? this.runs[0];
    this.draw();
  }

  follow() {
    this.selected = null;
    this.draw();
  }

  // A run chosen in the table: it stays chosen though the picture may have
  // let it go since the table showed it. The unchanging run that brought the
  // Done line is where following the run ends.
  chooseRun(run) {
    if (run.number === this.done) this.follow();
    else {
      this.selected = run;
      this.draw();
    }
  }

  // A run chosen by its number, if it is kept; else the run is followed.
  choose(number) {
    this.selected = this.runs.find((run) => run.number === number) ?? null;
    this.draw();
  }

  // Another rounding's run to draw beside the program's: { label, start,
  // iterates }, the iterate after each run that moved it; or null.
  setRounding(rounding) {
    this.rounding = rounding;
    this.draw();
  }

  // The other rounding's runs with the numbers of those shown, and once the
  // program is done, the ones it makes after: { number, from, to }.
  otherRuns(runs) {
    const other = this.rounding;
    if (!other) return [];
    const numbers = runs.map((run) => run.number);
    if (this.selected === null && this.done !== null) {
      for (let n = (numbers.at(-1) ?? 0) + 1; n <= other.iterates.length; n++) numbers.push(n);
    }
    const at = (k) => (k === 0 ? other.start : other.iterates[k - 1]);
    return numbers.slice(-DRAWN).filter((n) => n <= other.iterates.length)
      .map((n) => ({ number: n, from: at(n - 1), to: at(n), toBits: bitsAt(other.iterates, n - 1) }))
      .filter(({ from, to }) => Math.abs(from) <= FAR && Math.abs(to) <= FAR);
  }

  // Keeps the x range while the start point is dragged, so that the handle
  // stays under the pointer; null fits the view to the run again.
  lockX(range) {
    this.lockedX = range;
    this.lockedLeft = range && this.left;
    this.draw();
  }

  // The runs to draw: the chosen one, or the latest DRAWN.
  shown() {
    if (this.selected !== null) return [this.selected];
    return this.runs.slice(-DRAWN);
  }

  // The view: the iterates drawn, where their tangents meet the axis, and the
  // root. A meeting point far beyond the iterates is marked at the edge.
  view(runs, others) {
    const drawn = runs.filter((run) => this.drawable(run));
    let x = this.lockedX;
    if (!x) {
      const xs = [ROOT_IN_VIEW];
      for (const run of drawn) xs.push(run.from.value, run.to.value);
      for (const run of others) xs.push(run.from, run.to);
      // With no run to draw, the start point: the built-in 0 until one is read.
      const start = this.read?.start ?? 0;
      if (drawn.length === 0 && others.length === 0 && Math.abs(start) <= FAR) xs.push(start);
      let low = Math.min(...xs);
      let high = Math.max(...xs);
      const span = Math.max(high - low, 2);
      for (const run of drawn) {
        const meets = this.meets(run);
        if (meets >= low - 2 * span && meets <= high + 2 * span) {
          low = Math.min(low, meets);
          high = Math.max(high, meets);
        }
      }
      const width = Math.max(high - low, 2);
      x = [low - 0.08 * width, high + 0.08 * width];
    }
    const ys = [0, ...drawn.map((run) => f(run.from.value)), ...others.map((run) => f(run.from))];
    // With no run drawn, the curve itself: the view of 0 alone showed none of it.
    if (drawn.length === 0 && others.length === 0) {
      for (let i = 0; i <= 100; i++) {
        const y = f(x[0] + ((x[1] - x[0]) * i) / 100);
        if (Number.isFinite(y)) ys.push(y);
      }
    }
    const yLow = Math.min(...ys);
    const yHigh = Math.max(...ys);
    const height = Math.max(yHigh - yLow, 2);
    return { x, y: [yLow - 0.12 * height, yHigh + 0.12 * height], drawn };
  }

  draw() {
    clearTimeout(this.later);
    this.drawnAt = performance.now();
    const runs = this.shown();
    const others = this.otherRuns(runs);
    const { x: [x0, x1], y: [y0, y1], drawn } = this.view(runs, others);
    const yTicks = ticks(y0, y1).map((tick) => ({ tick, label: formatG(tick) }));
    // The margin stays with a kept x range, so that the handle stays under
    // the pointer; a label that does not fit it then is left out.
    const left = this.lockedX ? this.lockedLeft : leftMargin(yTicks.map(({ label }) => label), MARGIN.left);
    this.left = left;
    const px = (x) => left + ((x - x0) / (x1 - x0)) * (WIDTH - left - MARGIN.right);
    const py = (y) => HEIGHT - MARGIN.bottom - ((y - y0) / (y1 - y0)) * (HEIGHT - MARGIN.top - MARGIN.bottom);
    const svg = this.svg;
    svg.replaceChildren();
    svg.dataset.view = [x0, x1, y0, y1].join(' ');
    svg.dataset.plot = [left, WIDTH - MARGIN.right, HEIGHT - MARGIN.bottom, MARGIN.top].join(' ');

    const clip = element('clipPath', { id: 'plot-area' }, element('defs', {}, svg));
    element('rect', {
      x: left, y: MARGIN.top,
      width: WIDTH - left - MARGIN.right, height: HEIGHT - MARGIN.top - MARGIN.bottom,
    }, clip);

    // Axes, with ticks.
    const axes = element('g', { class: 'axes' }, svg);
    for (const tick of ticks(x0, x1)) {
      element('line', { x1: px(tick), x2: px(tick), y1: MARGIN.top, y2: HEIGHT - MARGIN.bottom, class: 'grid' }, axes);
      // A label that would run past the drawing's edge is left out.
      const label = formatG(tick);
      const half = labelWidth(label) / 2;
      if (px(tick) - half < 0 || px(tick) + half > WIDTH) continue;
      element('text', { x: px(tick), y: HEIGHT - 10, 'text-anchor': 'middle' }, axes).textContent = label;
    }
    for (const { tick, label } of yTicks) {
      element('line', { x1: left, x2: WIDTH - MARGIN.right, y1: py(tick), y2: py(tick), class: 'grid' }, axes);
      if (labelWidth(label) > left - 6) continue;
      element('text', { x: left - 6, y: py(tick) + 4, 'text-anchor': 'end' }, axes).textContent = label;
    }
    element('line', { x1: left, x2: WIDTH - MARGIN.right, y1: py(0), y2: py(0), class: 'axis' }, axes);

    const plot = element('g', { 'clip-path': 'url(#plot-area)' }, svg);
    const curve = [];
    for (let i = 0; i <= 300; i++) {
      const x = x0 + ((x1 - x0) * i) / 300;
      const y = Math.min(Math.max(f(x), y0 - 10 * (y1 - y0)), y1 + 10 * (y1 - y0));
      curve.push(`${i ? 'L' : 'M'}${px(x).toFixed(2)},${py(y).toFixed(2)}`);
    }
    element('path', { d: curve.join(''), class: 'curve' }, plot);

    // The tangent at (x, y) drawn to where it meets the axis, or, when that
    // is beyond the view, to the view's edge on its way there.
    const tangentEnd = (x, y, meets) => {
      if (meets >= x0 && meets <= x1) return [meets, 0];
      const edge = meets > x1 ? x1 : x0;
      return [edge, Number.isFinite(meets) ? y * ((meets - edge) / (meets - x)) : y];
    };

    // The other rounding's runs under the program's: from its iterate on
    // the curve to where its step lands.
    for (const run of others) {
      const group = element('g', { class: 'other-run', 'data-run': run.number,
        'data-to': this.program.format(run.toBits) }, plot);
      element('line', { x1: px(run.from), y1: py(f(run.from)), x2: px(run.to), y2: py(0) }, group);
      element('rect', { x: px(run.to) - 3.5, y: py(0) - 3.5, width: 7, height: 7 }, group);
    }

    const latest = drawn.at(-1);
    drawn.forEach((run, index) => {
      const age = drawn.length - 1 - index;
      const highlighted = run === latest;
      const group = element('g', {
        class: highlighted ? 'run latest' : 'run',
        'data-run': run.number, 'data-from': run.from.text, 'data-to': run.to.text,
        opacity: highlighted ? 1 : Math.max(0.2, 0.6 - age * 0.02).toFixed(2),
      }, plot);
      const from = run.from.value;
      const meets = this.meets(run);
      const [endX, endY] = tangentEnd(from, f(from), meets);
      element('line', { x1: px(from), y1: py(f(from)), x2: px(endX), y2: py(endY), class: 'tangent' }, group);
      element('line', { x1: px(run.to.value), y1: py(0), x2: px(run.to.value), y2: py(f(run.to.value)), class: 'rise' }, group);
      element('circle', { cx: px(from), cy: py(f(from)), r: 3.5, class: 'iterate' }, group);
      if (meets >= x0 && meets <= x1) {
        element('circle', { cx: px(meets), cy: py(0), r: 4, class: 'meets' }, group);
      }
      element('circle', { cx: px(run.to.value), cy: py(0), r: 3.5, class: 'lands' }, group);
    });

    // Meeting points beyond the view, at its edge with their values.
    const edges = element('g', { class: 'edges' }, svg);
    for (const run of drawn) {
      const meets = this.meets(run);
      if (meets >= x0 && meets <= x1) continue;
      const right = !(meets < x0);  // NaN, where f and f' are both 0, is marked right
      const edge = right ? WIDTH - MARGIN.right : left;
      const mark = element('g', { class: run === latest ? 'edge latest' : 'edge', 'data-run': run.number }, edges);
      element('path', {
        d: right ? `M${edge - 8},${py(0) - 6}L${edge},${py(0)}L${edge - 8},${py(0) + 6}Z`
                 : `M${edge + 8},${py(0) - 6}L${edge},${py(0)}L${edge + 8},${py(0) + 6}Z`,
      }, mark);
      if (run === latest) {
        element('text', { x: right ? edge - 10 : edge + 10, y: py(0) - 9, 'text-anchor': right ? 'end' : 'start' }, mark)
          .textContent = `meets the axis at ${this.program.format(meets)}`;
      }
    }
    this.describe(drawn, others);
    this.onDraw({ x0, x1, left: left / WIDTH, right: (WIDTH - MARGIN.right) / WIDTH,
                  axis: py(0) / HEIGHT });
  }

  // The caption for a screen reader: at once when a person steps or the run
  // has ended, else at most every SAID_MS, the latest words.
  say(caption) {
    clearTimeout(this.saying);
    const wait = this.saidAt + SAID_MS - performance.now();
    if (this.selected === null && !this.ended() && wait > 0) {
      this.saying = setTimeout(() => this.say(caption), wait);
      return;
    }
    this.saidAt = performance.now();
    if (this.said.textContent !== caption) this.said.textContent = caption;
  }

  // The caption: the run highlighted, in the program's notation.
  describe(drawn, others) {
    const run = this.selected ?? this.runs.at(-1);
    let caption = '';
    if (run && this.drawable(run)) {
      caption = `run ${run.number}: from ${run.from.text}, the tangent meets the axis at `
        + `${this.program.format(this.meets(run))}, and the damped step lands on ${run.to.text}`;
    } else if (run) {
      const why = this.inView(run) ? ', which this page could not follow' : '';
      caption = `run ${run.number}: ${run.text}${why}, not drawn`;
    }
    const other = run && others.find((o) => o.number === run.number);
    if (other) {
      // Where six digits cannot tell the two apart, each is given to the
      // digits that can.
      let theirs = this.program.format(other.toBits);
      if (caption.endsWith(`lands on ${theirs}`) && run.to.bits !== other.toBits) {
        caption += ` (${this.program.shortest(run.to.bits)})`;
        theirs = this.program.shortest(other.toBits);
      }
      caption += `; with ${this.rounding.label} it lands on ${theirs}`;
    }
    if (this.selected === null && this.done !== null) caption += `${caption ? '. ' : ''}Done after: ${this.done} runs`;
    if (this.caption.textContent !== caption) this.caption.textContent = caption;
    this.say(caption);

    const notes = [];
    if (this.selected === null && this.count > 0 && drawn.length) {
      const first = drawn[0].number;
      const which = drawn.length === 1 ? `run ${first}` : `runs ${first} to ${drawn.at(-1).number}`;
      const more = this.count > drawn.length ? ` (the last ${drawn.length} that can be)` : '';
      notes.push(`${which} drawn${more}`);
    }
    if (this.selected !== null && this.selected.number < this.runs[0].number) {
      notes.push(`run ${this.selected.number} is kept while you step; the runs before `
        + `${this.runs[0].number.toLocaleString('en')} are no longer kept`);
    }
    if (others.length) {
      const which = others.length === 1 ? `run ${others[0].number}` : `runs ${others[0].number} to ${others.at(-1).number}`;
      notes.push(`${which} with ${this.rounding.label} dashed, landing on squares`);
    }
    for (const { first, last, text } of this.notDrawn.slice(-3)) {
      notes.push(first === last ? `run ${first}: ${text}, not drawn`
        : `runs ${first.toLocaleString('en')} to ${last.toLocaleString('en')}: ${text}, not drawn`);
    }
    this.notes.textContent = notes.join('; ');
  }
}
