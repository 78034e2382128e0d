// A linear scale: a value to a pixel (at) and back (invert), and its ticks
// at 1, 2 or 5 times a power of ten, each with its text, as every axis on the
// page draws them.
export class Scale {
  // domain [low, high] to range [from, to]; to may be below from.
  constructor([low, high], [from, to]) {
    this.domain = [low, high];
    this.range = [from, to];
  }

  at(value) {
    const [[low, high], [from, to]] = [this.domain, this.range];
    return from + ((value - low) / (high - low)) * (to - from);
  }

  invert(pixel) {
    const [[low, high], [from, to]] = [this.domain, this.range];
    return low + ((pixel - from) / (to - from)) * (high - low);
  }

  // At most `count` ticks across the domain.
  ticks(count) {
    return ticks(...this.domain, count);
  }
}

// About `count` ticks across [low, high]: the step of 1, 2 or 5 times a
// power of ten nearest to the range over count, on a log scale; each tick
// { value, text }.
export function ticks(low, high, count) {
  const raw = (high - low) / count;
  let power = Math.floor(Math.log10(raw));
  let [mantissa] = [1, 2, 5, 10]
    .map((m) => [m, Math.abs(Math.log((m * 10 ** power) / raw))])
    .reduce((best, next) => (next[1] < best[1] ? next : best));
  if (mantissa === 10) [mantissa, power] = [1, power + 1];
  // A value as k · unit / 10^digits: one rounding, so 0.6 is 0.6.
  const digits = Math.max(0, -power);
  const unit = mantissa * 10 ** Math.max(0, power);
  const list = [];
  for (let k = Math.ceil((low * 10 ** digits) / unit); (k * unit) / 10 ** digits <= high; k++) {
    const value = (k * unit) / 10 ** digits + 0;  // + 0: no tick at -0
    list.push({ value, text: tickText(value, digits) });
  }
  return list;
}

// A tick's text: the digits its step needs, where a decimal can hold them;
// a drawing in the program's notation gives formatG(value) instead.
function tickText(value, digits) {
  if (digits > 15 || Math.abs(value) >= 1e15) return formatG(value);
  const text = value.toFixed(digits);
  return text.includes('.') ? text.replace(/\.?0+$/, '') : text;
}

// A finite number in the program's notation: six significant digits, %g.
export function formatG(x) {
  if (x === 0) return Object.is(x, -0) ? '-0' : '0';
  const [mantissa, exponent] = x.toExponential(5).split('e');
  const e = Number(exponent);
  const trim = (digits) => (digits.includes('.') ? digits.replace(/\.?0+$/, '') : digits);
  if (e < -4 || e >= 6) return `${trim(mantissa)}e${e < 0 ? '-' : '+'}${String(Math.abs(e)).padStart(2, '0')}`;
  return trim(x.toFixed(5 - e));
}
