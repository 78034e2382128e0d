// The picture: the runs the program prints, drawn on the curve as they come.
// For each run, the tangent at the iterate down to where it meets the axis
// (the step undamped), and where the damped step lands: the next iterate.
import { bitsAt } from '../module/program.mjs';
import { FAR } from '../runs/runs.mjs';
import { Scale, formatG } from '../shared/scale.mjs';
import { element, labelWidth, leftMargin } from '../shared/svg.mjs';
import { Throttle } from '../shared/throttle.mjs';

const WIDTH = 520;
const HEIGHT = 380;
const MARGIN = { left: 44, right: 16, top: 14, bottom: 30 };
// Runs drawn at once while following the run.
const DRAWN = 100;
// How often a run is drawn as it comes, and how often at most its caption
// is said to a screen reader meanwhile: a voice that is cut off ten times a
// second says nothing.
const DRAW_MS = 100;
const SAID_MS = 1500;
// The root, near -1.76929, is kept in view so that every picture shows where
// the method is going.
const ROOT_IN_VIEW = -1.7693;

// f only places points on the drawing; every iterate is the program's.
const f = (x) => x ** 3 - 2 * x + 2;

// The axes, with a grid line at each tick; a label that would run past the
// drawing's edge, or past the margin, is left out.
function drawAxes(axes, x, y, yTicks) {
  const [left, right] = x.range;
  for (const { value } of x.ticks(4)) {
    const text = formatG(value);
    element('line', { x1: x.at(value), x2: x.at(value), y1: MARGIN.top, y2: HEIGHT - MARGIN.bottom, class: 'grid' }, axes);
    const half = labelWidth(text) / 2;
    if (x.at(value) - half < 0 || x.at(value) + half > WIDTH) continue;
    element('text', { x: x.at(value), y: HEIGHT - 10, 'text-anchor': 'middle' }, axes).textContent = text;
  }
  for (const { value, text } of yTicks) {
    element('line', { x1: left, x2: right, y1: y.at(value), y2: y.at(value), class: 'grid' }, axes);
    if (labelWidth(text) > left - 6) continue;
    element('text', { x: left - 6, y: y.at(value) + 4, 'text-anchor': 'end' }, axes).textContent = text;
  }
  element('line', { x1: left, x2: right, y1: y.at(0), y2: y.at(0), class: 'axis' }, axes);
}

// The curve across the view, clamped far above and below it.
function drawCurve(plot, x, y) {
  const [x0, x1] = x.domain;
  const [y0, y1] = y.domain;
  const points = [];
  for (let i = 0; i <= 300; i++) {
    const at = x0 + ((x1 - x0) * i) / 300;
    const value = Math.min(Math.max(f(at), y0 - 10 * (y1 - y0)), y1 + 10 * (y1 - y0));
    points.push(`${i ? 'L' : 'M'}${x.at(at).toFixed(2)},${y.at(value).toFixed(2)}`);
  }
  element('path', { d: points.join(''), class: 'curve' }, plot);
}

export class Picture {
  // svg: the picture; caption: the chosen run's numbers, and said: the same
  // for a screen reader; notes: what is not drawn, and how many runs are.
  constructor(svg, { caption, said, notes }, runs, program) {
    this.svg = svg;
    this.caption = caption;
    this.said = said;
    this.notes = notes;
    this.runs = runs;
    this.program = program;
    this.onDraw = () => {};  // (view): after each drawing, where its x range and axis are
    this.lockedX = null;     // an x range kept while the start is dragged
    this.left = MARGIN.left; // the left margin of the last drawing
    this.lockedLeft = null;  // and the one kept with a kept x range
    this.drawing = new Throttle(DRAW_MS, () => this.draw());
    this.saying = new Throttle(SAID_MS, () => {
      if (this.said.textContent !== this.caption.textContent) this.said.textContent = this.caption.textContent;
    });
    svg.setAttribute('viewBox', `0 0 ${WIDTH} ${HEIGHT}`);
  }

  // While a run pours in, it is drawn ten times a second, not at every
  // frame: the frames are the program's time, and nobody follows sixty
  // drawings a second. A run that has ended, or one chosen, is drawn at once.
  changed(urgent) {
    this.drawing.soon(urgent || this.runs.chosen !== null);
  }

  // The other rounding's runs with the numbers of those shown, and once the
  // program is done, the ones it makes after: { number, from, to, toBits }.
  otherRuns(shown) {
    const { rounding: other, chosen, done } = this.runs;
    if (!other) return [];
    const numbers = shown.map((run) => run.number);
    if (chosen === null && done !== null) {
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
    this.drawing.now();
  }

  // The runs to draw: the chosen one, or the latest DRAWN.
  shown() {
    const { chosen, runs } = this.runs;
    return chosen !== null ? [chosen] : runs.slice(-DRAWN);
  }

  // The view: the iterates drawn, where their tangents meet the axis, and the
  // root. A meeting point far beyond the iterates is marked at the edge.
  view(shown, others) {
    const runs = this.runs;
    const drawn = shown.filter((run) => runs.drawable(run));
    let x = this.lockedX;
    if (!x) {
      const xs = [ROOT_IN_VIEW];
      for (const run of drawn) xs.push(run.from.value, run.to.value);
      for (const run of others) xs.push(run.from, run.to);
      // With no run to draw, the start point: the built-in 0 until one is read.
      const start = runs.read?.start ?? 0;
      if (drawn.length === 0 && others.length === 0 && Math.abs(start) <= FAR) xs.push(start);
      let low = Math.min(...xs);
      let high = Math.max(...xs);
      const span = Math.max(high - low, 2);
      for (const run of drawn) {
        const meets = runs.meets(run);
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
    const shown = this.shown();
    const others = this.otherRuns(shown);
    const { x: [x0, x1], y: [y0, y1], drawn } = this.view(shown, others);
    const y = new Scale([y0, y1], [HEIGHT - MARGIN.bottom, MARGIN.top]);
    // Labels in the program's notation, %g.
    const yTicks = y.ticks(4).map(({ value }) => ({ value, text: formatG(value) }));
    // The margin stays with a kept x range, so that the handle stays under
    // the pointer; a label that does not fit it then is left out.
    const left = this.lockedX ? this.lockedLeft : leftMargin(yTicks.map(({ text }) => text), MARGIN.left);
    this.left = left;
    const x = new Scale([x0, x1], [left, WIDTH - MARGIN.right]);
    const svg = this.svg;
    svg.replaceChildren();
    svg.dataset.view = [x0, x1, y0, y1].join(' ');
    svg.dataset.plot = [left, WIDTH - MARGIN.right, HEIGHT - MARGIN.bottom, MARGIN.top].join(' ');
    const clip = element('clipPath', { id: 'plot-area' }, element('defs', {}, svg));
    element('rect', {
      x: left, y: MARGIN.top, width: WIDTH - left - MARGIN.right, height: HEIGHT - MARGIN.top - MARGIN.bottom,
    }, clip);
    drawAxes(element('g', { class: 'axes' }, svg), x, y, yTicks);
    const plot = element('g', { 'clip-path': 'url(#plot-area)' }, svg);
    drawCurve(plot, x, y);
    this.drawOthers(plot, others, x, y);
    this.drawRuns(plot, drawn, x, y);
    this.drawEdges(element('g', { class: 'edges' }, svg), drawn, x, y);
    this.tell(drawn, others);
    this.onDraw({ x0, x1, left: left / WIDTH, right: (WIDTH - MARGIN.right) / WIDTH, axis: y.at(0) / HEIGHT });
  }

  // The other rounding's runs under the program's: from its iterate on the
  // curve to where its step lands.
  drawOthers(plot, others, x, y) {
    for (const run of others) {
      const group = element('g', { class: 'other-run', 'data-run': run.number,
        'data-to': this.program.format(run.toBits) }, plot);
      element('line', { x1: x.at(run.from), y1: y.at(f(run.from)), x2: x.at(run.to), y2: y.at(0) }, group);
      element('rect', { x: x.at(run.to) - 3.5, y: y.at(0) - 3.5, width: 7, height: 7 }, group);
    }
  }

  // Each run: the tangent at its iterate to where it meets the axis, or to
  // the view's edge on its way there, and where the damped step lands.
  drawRuns(plot, drawn, x, y) {
    const [x0, x1] = x.domain;
    const latest = drawn.at(-1);
    drawn.forEach((run, index) => {
      const age = drawn.length - 1 - index;
      const group = element('g', {
        class: run === latest ? 'run latest' : 'run',
        'data-run': run.number, 'data-from': run.from.text, 'data-to': run.to.text,
        opacity: run === latest ? 1 : Math.max(0.2, 0.6 - age * 0.02).toFixed(2),
      }, plot);
      const from = run.from.value;
      const to = run.to.value;
      const meets = this.runs.meets(run);
      const inView = meets >= x0 && meets <= x1;
      const edge = meets > x1 ? x1 : x0;
      const [endX, endY] = inView ? [meets, 0]
        : [edge, Number.isFinite(meets) ? f(from) * ((meets - edge) / (meets - from)) : f(from)];
      element('line', { x1: x.at(from), y1: y.at(f(from)), x2: x.at(endX), y2: y.at(endY), class: 'tangent' }, group);
      element('line', { x1: x.at(to), y1: y.at(0), x2: x.at(to), y2: y.at(f(to)), class: 'rise' }, group);
      element('circle', { cx: x.at(from), cy: y.at(f(from)), r: 3.5, class: 'iterate' }, group);
      if (inView) element('circle', { cx: x.at(meets), cy: y.at(0), r: 4, class: 'meets' }, group);
      element('circle', { cx: x.at(to), cy: y.at(0), r: 3.5, class: 'lands' }, group);
    });
  }

  // Meeting points beyond the view, at its edge, the latest with its value.
  drawEdges(edges, drawn, x, y) {
    const [x0, x1] = x.domain;
    const latest = drawn.at(-1);
    const axis = y.at(0);
    for (const run of drawn) {
      const meets = this.runs.meets(run);
      if (meets >= x0 && meets <= x1) continue;
      const right = !(meets < x0);  // NaN, where f and f' are both 0, is marked right
      const edge = x.range[right ? 1 : 0];
      const mark = element('g', { class: run === latest ? 'edge latest' : 'edge', 'data-run': run.number }, edges);
      const back = right ? -8 : 8;
      element('path', { d: `M${edge + back},${axis - 6}L${edge},${axis}L${edge + back},${axis + 6}Z` }, mark);
      if (run === latest) {
        element('text', { x: edge + (right ? -10 : 10), y: axis - 9, 'text-anchor': right ? 'end' : 'start' }, mark)
          .textContent = `meets the axis at ${this.program.format(meets)}`;
      }
    }
  }

  // The caption: the run highlighted, in the program's notation; said to a
  // screen reader at once when a person steps or the run has ended, else at
  // most every SAID_MS, the latest words.
  tell(drawn, others) {
    const { chosen, done, count, rounding, notDrawn } = this.runs;
    const runs = this.runs;
    const run = chosen ?? runs.runs.at(-1);
    let caption = '';
    if (run && runs.drawable(run)) {
      caption = `run ${run.number}: from ${run.from.text}, the tangent meets the axis at `
        + `${this.program.format(runs.meets(run))}, and the damped step lands on ${run.to.text}`;
    } else if (run) {
      const why = runs.inView(run) ? ', which this page could not follow' : '';
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
      caption += `; with ${rounding.label} it lands on ${theirs}`;
    }
    if (chosen === null && done !== null) caption += `${caption ? '. ' : ''}Done after: ${done} runs`;
    if (this.caption.textContent !== caption) this.caption.textContent = caption;
    this.saying.soon(chosen !== null || runs.ended());

    const notes = [];
    if (chosen === null && count > 0 && drawn.length) {
      const first = drawn[0].number;
      const which = drawn.length === 1 ? `run ${first}` : `runs ${first} to ${drawn.at(-1).number}`;
      const more = count > drawn.length ? ` (the last ${drawn.length} that can be)` : '';
      notes.push(`${which} drawn${more}`);
    }
    if (chosen !== null && chosen.number < runs.runs[0].number) {
      notes.push(`run ${chosen.number} is kept while you step; the runs before `
        + `${runs.runs[0].number.toLocaleString('en')} are no longer kept`);
    }
    if (others.length) {
      const which = others.length === 1 ? `run ${others[0].number}` : `runs ${others[0].number} to ${others.at(-1).number}`;
      notes.push(`${which} with ${rounding.label} dashed, landing on squares`);
    }
    for (const { first, last, text } of notDrawn.slice(-3)) {
      notes.push(first === last ? `run ${first}: ${text}, not drawn`
        : `runs ${first.toLocaleString('en')} to ${last.toLocaleString('en')}: ${text}, not drawn`);
    }
    this.notes.textContent = notes.join('; ');
  }
}
