// Why the runs of a session end, or why they have not, in words: from the
// program's own look at the runs kept (Program.ending). What was found
// stands for the runs let go since; NaN and a cycle, once found, are final.
import { plural, ulpWords } from './words.mjs';

// A cycle's doubles named in its sentence; the rest are counted.
const NAMED = 6;

// Why the unchanging run left x where it was, from its step beside the
// doubles around x (Program.bits' `gaps`).
export function stillText({ step, gap, size, down, tie }) {
  if (Number(step) === 0) return 'its damped step is 0, so x − step is x';
  const gapWords = `the gap to the next double ${down ? 'down' : 'up'}, ${gap}`;
  if (tie) {
    return `its damped step, ${step}, is exactly half ${gapWords}: a tie, which the hardware rounds `
      + 'to the double whose last bit is even, here x itself';
  }
  return `its damped step, ${step}, is ${size} of ${gapWords}: under half a gap, x − step rounds back to x`;
}

// What f(x) and the step are at a cycle's doubles, which is why none of
// its runs stops: a list of at most NAMED texts, "and" before the last.
const listed = (texts) => {
  const named = texts.slice(0, NAMED);
  const more = texts.length > NAMED ? ` and ${texts.length - NAMED} more` : '';
  return named.length === 2 && !more ? named.join(' and ') : named.join(', ') + more;
};
function cycleWhy({ byTheRoot, fx, gaps }) {
  if (!fx?.length) return '';
  if (!byTheRoot) return `. f(x) there is ${listed(fx)}: the runs never come near the root`;
  return `. f(x) there is ${listed(fx)}, rounding noise by the root, and the damped step is `
    + `${listed(gaps)} gaps, never under half a gap, so every run moves the iterate`;
}
// Runs the program takes again from the start point, at most, to find where
// a cycle began before the earliest run kept: a few tens of milliseconds,
// once, and only as many as come before the cycle.
const FROM_START = 300000;

// The sentence, from the runs' state: `nan` and `cycle` give the run after
// which the iterate is NaN or goes round the cycle, and `earliest` where
// that is only the earliest run kept.
// `still` the unchanging run's step beside the doubles, once the Done line came.
export function endingText({ done, still, last, count, limit, finished, nan, cycle }) {
  if (done !== null) {
    return `run ${done} left the iterate unchanged: Done after: ${done} runs`
      + (still ? `. Run ${done}: ${stillText(still)}` : '');
  }
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
    return `${from(cycle)} the iterate ${how}: no run leaves it unchanged, so no Done line comes${cycleWhy(cycle)}`;
  }
  const moved = last.bits ? ulpWords(last.bits.ulps) : 'to an iterate this page could not follow';
  return `run ${last.number} moved the iterate ${moved}`
    + (finished ? `, and then the limit of ${plural(limit, 'run', 'runs')} came: no Done line` : '');
}

export class Ending {
  constructor(program) {
    this.program = program;
    this.found = { nan: null, cycle: null };
    this.key = '';   // the runs the sentence was found for
    this.text = '';
  }

  // Asked of the program once per new run or end, over the runs kept.
  of(runs) {
    const { runs: kept, read } = runs;
    const ended = runs.ended();
    const key = [kept[0]?.number, kept.length, runs.done, ended, Boolean(read)].join(' ');
    if (key === this.key) return this.text;
    this.key = key;
    if (!read) {
      this.text = '';
      return this.text;
    }
    // The runs note the first NaN as the lines come.
    if (runs.firstNaN !== null) this.found.nan ??= { run: runs.firstNaN, earliest: false };
    if (runs.done === null && kept.length && kept[0].from && !this.found.nan && !this.found.cycle) {
      this.findCycle(kept, read);
    }
    const last = kept.at(-1);
    if (last) runs.bitsOf(last);
    // The unchanging run starts where the last one landed.
    const still = runs.done !== null && runs.last ? this.program.bits(runs.last.bits, read.lambdaBits).gaps : null;
    this.text = endingText({
      done: runs.done, still, last, count: runs.count, limit: read.limit, finished: ended, ...this.found,
    });
    return this.text;
  }

  findCycle(kept, read) {
    const offset = kept[0].number - 1;  // runs before the earliest kept
    const { cycle } = this.program.ending(kept[0].from.bits, kept.length, read.lambdaBits);
    if (cycle) this.found.cycle = { ...cycle, run: offset + cycle.after, earliest: cycle.after === 0 && offset > 0 };
    // A cycle going round at the earliest run kept may have begun before
    // it: the program finds where, if among the first FROM_START runs.
    const began = this.found.cycle?.earliest
      ? this.program.cycleStart(read.startBits, cycle.period, Math.min(offset + kept.length, FROM_START), read.lambdaBits)
      : null;
    if (began !== null) {
      // The same doubles, named from the first the runs came to.
      const turn = (((began - offset) % cycle.period) + cycle.period) % cycle.period;
      const turned = (list) => [...list.slice(turn), ...list.slice(0, turn)];
      this.found.cycle = {
        ...this.found.cycle, doubles: turned(cycle.doubles), fx: turned(cycle.fx), gaps: turned(cycle.gaps),
        run: began, earliest: false,
      };
    }
  }
}
