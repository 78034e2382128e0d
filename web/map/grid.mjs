// The map's grid: each axis is count values first + k · step in units of
// 10^-digits, so that every start and λ of a cell is an exact decimal text,
// typed as a person would type it. Zooming makes a finer grid of as many cells.

// The whole map, which a zoom never leaves.
export const WHOLE = {
  start: { first: -4000, step: 25, count: 321, digits: 3 },
  lambda: { first: 50, step: 25, count: 79, digits: 3 },
};
// A zoomed axis has about as many cells, down to steps of 10^-FINEST.
const FINEST = 12;

// The text of first + k · step: a decimal with no trailing zeros.
export function axisText(axis, k) {
  const units = axis.first + k * axis.step;
  const digits = String(Math.abs(units)).padStart(axis.digits + 1, '0');
  const whole = digits.slice(0, digits.length - axis.digits);
  const fraction = digits.slice(digits.length - axis.digits).replace(/0+$/, '');
  return `${units < 0 ? '-' : ''}${whole}${fraction ? `.${fraction}` : ''}`;
}

// The value at k, where k may be a cell's edge (k ± 0.5).
const axisValue = (axis, k) => (axis.first + k * axis.step) / 10 ** axis.digits;

// An axis over [low, high] with about `count` values, a step of 1, 2, 2.5 or
// 5 times a power of ten, whichever comes nearest on a log scale.
export function axisOver(low, high, count) {
  const raw = Math.max((high - low) / (count - 1), 10 ** -FINEST);
  const power = Math.floor(Math.log10(raw));
  const [mantissa] = [1, 2, 2.5, 5, 10]
    .map((m) => [m, Math.abs(Math.log((m * 10 ** power) / raw))])
    .reduce((best, next) => (next[1] < best[1] ? next : best));
  const digits = Math.max(0, -power + (mantissa === 2.5) - (mantissa === 10));
  const scale = 10 ** digits;
  const step = Math.round(mantissa * 10 ** power * scale);
  // Rounded first: low · scale may miss a whole number by a rounding.
  const first = Math.ceil(Math.round(low * scale * 1e3) / 1e3 / step) * step;
  const last = Math.floor(Math.round(high * scale * 1e3) / 1e3 / step) * step;
  return { first, step, count: Math.max(1, (last - first) / step + 1), digits };
}

// The grid's extent, from cell edge to cell edge: { x: [start, start],
// y: [λ, λ] }.
export function extent({ start, lambda }) {
  return { x: [axisValue(start, -0.5), axisValue(start, start.count - 0.5)],
           y: [axisValue(lambda, -0.5), axisValue(lambda, lambda.count - 0.5)] };
}

// The cell [i, j] nearest to a start point and λ; an infinity's is at its
// end, and NaN's at the first.
export function cellAt({ start, lambda }, x, y) {
  const near = (axis, value) => (Number.isNaN(value) ? 0 : Math.min(axis.count - 1, Math.max(0,
    Math.round((value * 10 ** axis.digits - axis.first) / axis.step) || 0)));
  return [near(start, x), near(lambda, y)];
}

// The start and λ of a cell.
export const valuesOf = ({ start, lambda }, [i, j]) => [axisValue(start, i), axisValue(lambda, j)];

// The grid over a region of starts and λs, within the whole map, or null
// for a region of nothing: the whole map where it covers it. No finer than
// the finest step: a region narrower than that grows about its middle.
export function gridOver({ x: [left, right], y: [bottom, top] }) {
  const span = (axis) => [axisValue(axis, 0), axisValue(axis, axis.count - 1)];
  const fit = (axis, low, high) => {
    const [min, max] = span(axis);
    [low, high] = [Math.max(min, low), Math.min(max, high)];
    const least = (axis.count - 1) * 10 ** -FINEST;
    if (!(high > low) || high - low >= least) return [low, high];
    const middle = Math.min(max - least / 2, Math.max(min + least / 2, (low + high) / 2));
    return [middle - least / 2, middle + least / 2];
  };
  const [startLow, startHigh] = fit(WHOLE.start, left, right);
  const [lambdaLow, lambdaHigh] = fit(WHOLE.lambda, bottom, top);
  if (!(startHigh > startLow && lambdaHigh > lambdaLow)) return null;
  const covers = (axis, low, high) => high - low >= span(axis)[1] - span(axis)[0];
  if (covers(WHOLE.start, startLow, startHigh) && covers(WHOLE.lambda, lambdaLow, lambdaHigh)) return WHOLE;
  return { start: axisOver(startLow, startHigh, WHOLE.start.count),
           lambda: axisOver(lambdaLow, lambdaHigh, WHOLE.lambda.count) };
}

// A grid as a link carries it, "first_step_count_digits" for the start axis,
// then "." and the same for λ's; gridOf() reads it back, or null for a text
// that is no grid within the whole map.
export const gridText = ({ start, lambda }) => [start, lambda]
  .map(({ first, step, count, digits }) => [first, step, count, digits].join('_')).join('.');

export function gridOf(text) {
  const axes = String(text).split('.').map((axis) => axis.split('_').map(Number));
  if (axes.length !== 2 || axes.some((axis) => axis.length !== 4 || !axis.every(Number.isSafeInteger))) return null;
  const [start, lambda] = axes.map(([first, step, count, digits]) => ({ first, step, count, digits }));
  const within = (axis, whole) => axis.step > 0 && axis.count >= 1 && axis.count <= 2 * whole.count
    && axis.digits >= 0 && axis.digits <= FINEST + 1
    && axisValue(axis, 0) >= axisValue(whole, 0) && axisValue(axis, axis.count - 1) <= axisValue(whole, whole.count - 1);
  return within(start, WHOLE.start) && within(lambda, WHOLE.lambda) ? { start, lambda } : null;
}
