// The lesson: why a run stops, in seven steps, each a dialogue to type and a
// view to look at, and what to see there in sentences whose every number
// comes from the session on screen or from the program's own arithmetic.
import { outcomeText } from '../module/outcome.mjs';
import { ROUNDINGS } from '../module/roundings.mjs';
import { stillText } from './ending.mjs';
import { plural } from './words.mjs';

// The tolerance that SciPy's newton stops at by default.
export const SCIPY_TOLERANCE = '1.48e-8';

// A count in the program's words, or its Done line's.
const doneWords = (outcome) => (typeof outcome === 'number' ? `${outcome} runs` : outcomeText(outcome));

// The runs kept from the last back, while their lines read the same.
function sameLines(runs) {
  const kept = runs.runs;
  let k = kept.length;
  while (k > 0 && kept[k - 1].text === kept.at(-1).text) k--;
  return kept.length - k;
}

// What a tolerance on the step would have done to the runs on screen
// (Program.tolerance's `stop`), beside the exact stop.
export function toleranceText({ read, done }, stop) {
  const from = `From ${read.startText} with λ ${read.lambdaText}`;
  if (!stop.run) return [`${from} it never stops: every run moved x by more.`];
  const sentences = [`${from} it stops at run ${stop.run}, at ${stop.iterate}.`];
  if (done !== null) {
    sentences.push(`The exact stop goes on to run ${done}, at ${stop.exact}: the tolerance stopped ${stop.distance}`
      + ` away, ${stop.times} times the tolerance.`,
    `Near the root a run leaves about (1 − λ)/λ = ${stop.left} times its step still to go,`
      + ' so a small step is not a small error.');
  }
  return sentences;
}

// The sentences of each step, from the ended session's runs and the program.
const SAY = {
  exactStop(runs, program) {
    const { read, done, count } = runs;
    const same = sameLines(runs);
    const moves = runs.runs.slice(-4).map((run) => runs.bitsOf(run)?.ulps.replace(/^[+-]/, '') ?? '?');
    const still = program.bits(runs.last.bits, read.lambdaBits).gaps;
    return [
      `From ${read.startText} with λ ${read.lambdaText} the program prints ${count} iterate lines, then "Done after: ${done} runs".`,
      `The last ${same} lines all show ${runs.last.text}, yet every one of those runs moved the iterate:`
        + ` the last four by ${moves.join(', ')} ulps. The table of runs shows each double to the last bit.`,
      `Run ${done} moves it not at all, though f(x) there is ${still.fx}, not 0.`,
      `Why: ${stillText(still)}.`,
    ];
  },
  undamped(runs) {
    const { read } = runs;
    const [first, second] = runs.runs;
    const cycle = runs.cycle();
    const fx = cycle?.fx ?? [];
    return [
      `With λ ${read.lambdaText} each run takes the whole Newton step: it follows the tangent at x down to the axis.`,
      `From ${read.startText} the tangent meets the axis at ${first?.text}, and from there at ${second?.text}:`
        + ` the iterate goes to and fro. f(x) is ${fx.join(' and ')} at those two points, far from 0.`,
      `No run leaves x unchanged, so no Done line comes, and the runs go on to the limit of ${plural(read.limit, 'run', 'runs')}.`,
      'Step through the runs on the picture with ← and →.',
    ];
  },
  pace(runs, program) {
    const { read, done } = runs;
    const other = (lambda) => doneWords(program.outcome(read.start, lambda, read.limit));
    return [
      `Near the root each run leaves about |1 − λ| of the error: ${program.pace(read.lambdaBits)} at λ ${read.lambdaText}.`,
      'In the plot the moves shrink by that factor each run, along the dashed line, until they are a few ulps and rounding takes over.',
      `From ${read.startText}, λ ${read.lambdaText} needs ${done} runs. λ 0.5 needs ${other(0.5)}, and λ 1 needs ${other(1)}.`,
    ];
  },
  overshoot(runs, program) {
    const { read, done } = runs;
    const last = runs.runs.slice(-20).map((run) => runs.bitsOf(run)?.ulps ?? '');
    const up = last.filter((ulps) => ulps.startsWith('+')).length;
    const down = last.filter((ulps) => ulps.startsWith('-')).length;
    return [
      `With λ ${read.lambdaText}, above 1, each run steps past the root.`,
      `Near it 1 − λ is negative: the error changes sign every run, and shrinks by |1 − λ| = ${program.pace(read.lambdaBits)}.`,
      `In the plot the moves go up (filled) and down (hollow) in turn: of the last ${last.length} runs, ${up} went up and ${down} down.`,
      `Done after: ${done} runs.`,
    ];
  },
  neverSettles(runs) {
    const { read } = runs;
    const cycle = runs.cycle();
    if (!cycle) return [`From ${read.startText} with λ ${read.lambdaText} no cycle of doubles shows in the runs kept.`];
    return [
      `From ${read.startText} with λ ${read.lambdaText} the runs come to the root, and then never stop.`,
      `From run ${cycle.run} on the iterate goes to and fro between ${cycle.period === 2 ? 'two' : cycle.period} doubles,`
        + ` ${cycle.span} ulps apart.`,
      `At them f(x) is ${cycle.fx.join(' and ')}: rounding noise, not 0. The damped step is ${cycle.gaps.join(' and ')} gaps,`
        + ' never under half a gap, so every run moves the iterate.',
      `The limit, ${plural(read.limit, 'run', 'runs')}, ends the runs: no Done line.`,
    ];
  },
  tolerance(runs, program) {
    const tolerance = program.number(SCIPY_TOLERANCE);
    return [
      `Most programs stop at a tolerance instead: once a run moves x by at most tol. SciPy's newton has tol = ${program.shortest(tolerance)}.`,
      ...toleranceText(runs, program.tolerance(runs.read.startBits, runs.read.lambdaBits, runs.done ?? runs.read.limit, tolerance)),
      'Try another tolerance in the panel.',
    ];
  },
  roundings(runs, program) {
    const { read, done } = runs;
    const outcome = (name) => {
      const { number } = ROUNDINGS.find((rounding) => rounding.name === name);
      return doneWords(program.outcome(read.start, read.lambda, read.limit, number));
    };
    return [
      `The stop test compares exactly, so every rounding in the step decides the count. The program needs ${done} runs here.`,
      `With the cube and the square as products, as Windows' pow forms them, the same dialogue needs ${outcome('products')}.`
        + ` With fused multiply-adds it needs ${outcome('fused')}; in single precision, ${outcome('single')}.`,
      'Under "Map shows", the map shows where each rounding changes the count.',
    ];
  },
};

// The steps in order: a name, the dialogue each types, the view to look at
// (the element id the page gives it, and its name) and its sentences.
export const STEPS = [
  { name: 'the exact stop', start: '0', lambda: '0.5', limit: '500',
    view: 'bits-frame', look: 'the table of runs', say: SAY.exactStop },
  { name: 'the undamped cycle', start: '0', lambda: '1', limit: '500',
    view: 'figure', look: 'the picture', say: SAY.undamped },
  { name: 'damping sets the pace', start: '-3', lambda: '0.25', limit: '500',
    view: 'moves-figure', look: 'the plot of moves', say: SAY.pace },
  { name: 'overshooting', start: '-2', lambda: '1.5', limit: '500',
    view: 'moves-figure', look: 'the plot of moves', say: SAY.overshoot },
  { name: 'never settling', start: '-2', lambda: '1.7', limit: '500',
    view: 'bits-frame', look: 'the table of runs', say: SAY.neverSettles },
  { name: 'what a tolerance would do', start: '0', lambda: '0.5', limit: '500',
    view: 'tolerance', look: 'the tolerance panel', say: SAY.tolerance },
  { name: 'every rounding decides', start: '0', lambda: '0.5', limit: '500',
    view: 'roundings-frame', look: 'the roundings side by side', say: SAY.roundings },
];

// The text a step types, as the page's controls type it.
export const dialogueOf = ({ start, lambda, limit }) => `n\n${start}\n${lambda}\n${limit}\n`;

export class Lesson {
  constructor() {
    this.index = null;         // the step on show, or null before one is chosen
    this.onGo = () => {};      // (step, index): a step was chosen
    this.said = { key: '', sentences: null };  // the sentences for one session and step
  }

  get step() {
    return this.index === null ? null : STEPS[this.index];
  }

  go(index) {
    this.index = Math.max(0, Math.min(STEPS.length - 1, index));
    this.onGo(this.step, this.index);
  }

  next() {
    this.go(this.index === null ? 0 : this.index + 1);
  }

  previous() {
    this.go(this.index === null ? 0 : this.index - 1);
  }

  // Whether the session on screen is the step's: its dialogue typed.
  onScreen(typedText) {
    return this.step !== null && typedText === dialogueOf(this.step);
  }

  // The step's sentences for the runs on screen, once they have ended;
  // null before.
  says(runs, program) {
    if (!runs.read || !runs.ended()) return null;
    const key = `${runs.session} ${this.index}`;
    if (this.said.key !== key) {
      runs.why();  // finds a cycle, if the runs show one
      this.said = { key, sentences: this.step.say(runs, program) };
    }
    return this.said.sentences;
  }
}
