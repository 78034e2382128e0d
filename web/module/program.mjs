// The program's own arithmetic, asked directly, of an instance of the module
// that never runs the dialogue. The page computes no step, iterate, digit, ulp
// count or run count of its own: all come from here, other roundings too.
import { instance } from './wasi.mjs';
import { outcomeOf } from './outcome.mjs';

const utf8 = new TextEncoder();
const latin1 = new TextDecoder('latin1');

// What read_dialogue returns when the answer was not n.
const BUILT_IN = -1;

// A double as its 64 bits, and back. The module takes and gives an iterate,
// or a value read, as its bits: some browsers drop a NaN's sign when it
// becomes a JavaScript number, and the program prints that sign. A number
// given where bits are asked for stands for its own bits.
const scratch = new Float64Array(1);
const scratchBits = new BigInt64Array(scratch.buffer);
export function bitsOf(x) {
  if (typeof x === 'bigint') return x;
  scratch[0] = x;
  return scratchBits[0];
}
export function valueOf(bits) {
  scratchBits[0] = bits;
  return scratch[0];
}
// The bits of double k of an array of them, as the array holds them.
export const bitsAt = (doubles, k) => new BigInt64Array(doubles.buffer, doubles.byteOffset, doubles.length)[k];

export class Program {
  static async load(module) {
    return new Program(await instance(module));
  }

  constructor(exports) {
    this.exports = exports;
  }

  // What the program reads from the text typed (a string, or bytes as
  // typed): { start, lambda, limit } and how they came, `dialogue` false for
  // the built-in values, else `failed`, the first of 'start', 'lambda' and
  // 'limit' whose read failed (the program then reads nothing more), or null;
  // `toEnd` where the reads ran into the end of the text, so that the program
  // would wait for more unless input has ended. The start and λ come as
  // numbers, as bits (startBits, lambdaBits) and as the shortest texts that
  // the program reads back as them (startText, lambdaText: -0, inf, -nan).
  read(typed) {
    const bytes = typeof typed === 'string' ? utf8.encode(typed) : typed;
    const address = this.exports.text_buffer(bytes.length);
    new Uint8Array(this.exports.memory.buffer, address, bytes.length).set(bytes);
    const succeeded = this.exports.read_dialogue();
    const startBits = this.exports.read_start();
    const lambdaBits = this.exports.read_damping();
    return {
      start: valueOf(startBits),
      lambda: valueOf(lambdaBits),
      limit: this.exports.read_limit(),
      startBits,
      lambdaBits,
      startText: this.shortest(startBits),
      lambdaText: this.shortest(lambdaBits),
      dialogue: succeeded !== BUILT_IN,
      failed: succeeded === BUILT_IN || succeeded === 3 ? null : ['start', 'lambda', 'limit'][succeeded],
      toEnd: Boolean(this.exports.read_to_end()),
    };
  }

  // The double that the program reads from a number's text, as the start
  // point, or NaN where that read fails.
  number(text) {
    const read = this.read(`n\n${text}\n`);
    return read.failed === 'start' ? NaN : read.start;
  }

  // The next iterate from x: one run of the program's damped step.
  step(x, lambda) {
    return this.exports.damped_step(x, lambda);
  }

  // x as an iterate line shows it (without the line end).
  format(x) {
    return this.text(this.exports.write_iterate(bitsOf(x)));
  }

  // The text of this length that the module has just left in its buffer.
  text(length) {
    const address = this.exports.text_address();
    return latin1.decode(new Uint8Array(this.exports.memory.buffer, address, length));
  }

  // One run from x to the last bit, every field a text: { from, to }, each
  // { shortest, hex } (the shortest decimal that reads back as the double,
  // and C's %a), `ulps`, how many doubles the run moved it ("+9", "-4", "0"
  // or "NaN"), and the step's own values fx, dfx, quotient and step; and
  // `gaps`, the step beside the doubles around x, to two digits: { fx, step,
  // gap, size, down, tie }, the gap to x's neighbour on the step's side, the
  // step's size in such gaps, whether that neighbour is below x, and whether
  // the step is exactly half a gap.
  bits(x, lambda) {
    const [fromShortest, fromHex, toShortest, toHex, ulps, fx, dfx, quotient, step, roughFx, roughStep, gap, size, side, tie] =
      this.text(this.exports.run_bits(bitsOf(x), bitsOf(lambda))).split('\t');
    return {
      from: { shortest: fromShortest, hex: fromHex }, to: { shortest: toShortest, hex: toHex },
      ulps, fx, dfx, quotient, step,
      gaps: { fx: roughFx, step: roughStep, gap, size, down: side === 'down', tie: tie === 'tie' },
    };
  }

  // Why `runs` runs from `before` bring no Done line, where they show it:
  // `nan`, how many runs it took until the iterate was NaN; `cycle`,
  // { after, period, span, doubles }, where after that many runs the iterate
  // goes round `period` doubles (their %a texts) within `span` ulps, which
  // `byTheRoot` says are neighbours there, with f(x) at each and the step
  // from each in gaps (`fx`, `gaps`: two digits); each null where there is
  // none.
  ending(before, runs, lambda) {
    const [nan, start, period, span, byTheRoot, ...rest] = this.text(this.exports.run_ending(bitsOf(before), runs, bitsOf(lambda))).split('\t');
    const count = Number(period);
    const doubles = rest.slice(0, count);
    const steps = rest.slice(count);
    return {
      nan: nan === '-1' ? null : Number(nan),
      cycle: start === '-1' ? null : {
        after: Number(start), period: count, span, byTheRoot: byTheRoot === '1', doubles,
        fx: steps.filter((_, k) => k % 2 === 0), gaps: steps.filter((_, k) => k % 2 === 1),
      },
    };
  }

  // The runs from start stopped by a tolerance on the step, |next − x| ≤
  // tolerance, beside the exact stop: { run, iterate, exact, distance,
  // times, left }, the run it stops at (null: the limit came first), its
  // iterate and the one the exact stop ends on (shortest decimals), and, to
  // two digits, how far apart they are, that over the tolerance, and
  // (1 − λ)/λ, how many times its step a run near the root leaves to go.
  tolerance(start, lambda, limit, tolerance) {
    const [run, iterate, exact, distance, times, left] =
      this.text(this.exports.tolerance_run(bitsOf(start), bitsOf(lambda), limit, bitsOf(tolerance))).split('\t');
    return { run: Number(run) || null, iterate, exact, distance, times, left };
  }

  // |1 − λ| to two digits: how much of the error near the root a run
  // leaves, as the theory has it.
  pace(lambda) {
    return this.text(this.exports.pace_text(bitsOf(lambda)));
  }

  // After how many runs from start the iterate first goes round a cycle of
  // `period` doubles, looked for among the first `runs` runs; null if later.
  cycleStart(start, period, runs, lambda) {
    const after = this.exports.cycle_start(bitsOf(start), period, runs, bitsOf(lambda));
    return after < 0 ? null : after;
  }

  // The end of the iteration from start: the count on its Done line, or
  // 'finite' or 'infinite' for how the last iterate stands when the limit
  // came first; with the step of `rounding` (web/views/roundings.mjs), 0 the
  // program's own.
  outcome(start, lambda, limit, rounding = 0) {
    return outcomeOf(this.exports.rounding_outcome(rounding, start, lambda, limit));
  }

  // The same for many: each start and λ from `points` (start, λ, start, λ,
  // ...) with its rounding from `roundings`, as outcomeOf() reads them; where
  // `until` (a performance.now() time) comes before the last, the first
  // `atLeast` of them and those begun before it.
  outcomes(roundings, points, limit, until = Infinity, atLeast = 1) {
    const outcomes = new Int32Array(roundings.length);
    for (let k = 0; k < roundings.length; k++) {
      outcomes[k] = this.exports.rounding_outcome(roundings[k], points[2 * k], points[2 * k + 1], limit);
      const computed = k + 1;
      if (computed >= atLeast && computed < roundings.length && performance.now() >= until) {
        return outcomes.slice(0, computed);
      }
    }
    return outcomes;
  }

  // The iterates that the runs from start with the rounding's step land on,
  // at most `limit` of them: one for each run that moved the iterate.
  iterates(rounding, start, lambda, limit) {
    const count = this.exports.rounding_run(rounding, bitsOf(start), bitsOf(lambda), limit);
    return new Float64Array(this.exports.memory.buffer, this.exports.rounding_iterates(), count).slice();
  }

  // The first of the first `limit` runs from start after which the
  // rounding's iterate is not the program's, bit for bit; null if none.
  parts(rounding, start, lambda, limit) {
    return this.exports.rounding_parts(rounding, bitsOf(start), bitsOf(lambda), limit) || null;
  }

  // x in C's hexadecimal notation, %a.
  hex(x) {
    return this.text(this.exports.write_hex(bitsOf(x)));
  }

  // The shortest text that the program reads back as x.
  shortest(x) {
    return this.text(this.exports.write_shortest(bitsOf(x)));
  }
}
