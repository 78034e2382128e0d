// Why the runs of a session end, or why they have not, in words: from the
// program's own look at the runs kept (Program.ending). What was found
// stands for the runs let go since; NaN and a cycle, once found, are final.
import { plural, ulpWords } from './words.mjs';

// A cycle's doubles named in its sentence; the rest are counted.
const NAMED = 6;
// Runs the program takes again from the start point, at most, to find where
// a cycle began before the earliest run kept: a few tens of milliseconds,
// once, and only as many as come before the cycle.
const FROM_START = 300000;

// The sentence, from the runs' state: `nan` and `cycle` give the run after
// which the iterate is NaN or goes round the cycle, and `earliest` where
// that is only the earliest run kept.
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
    this.text = endingText({ done: runs.done, last, count: runs.count, limit: read.limit, finished: ended, ...this.found });
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
      const doubles = [...cycle.doubles.slice(turn), ...cycle.doubles.slice(0, turn)];
      this.found.cycle = { ...this.found.cycle, doubles, run: began, earliest: false };
    }
  }
}
