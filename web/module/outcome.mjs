// A run's outcome, as the module gives it and as the page says it: the
// count on the Done line, or why no Done line came; and how another rounding
// changes it, in a word or two. Every view that names an outcome says it so.

// The module's answer (the count on the Done line, 0 where the limit came
// first with the last iterate finite, -1 where it was infinite or NaN) as a
// count, 'finite' or 'infinite'.
export function outcomeOf(result) {
  if (result > 0) return result;
  return result === 0 ? 'finite' : 'infinite';
}

// An outcome in words, as the program's last line says it.
export function outcomeText(outcome) {
  if (outcome > 0) return `Done after: ${outcome} runs`;
  if (outcome === 'finite') return 'no Done line, iterates finite';
  if (outcome === 'infinite') return 'no Done line, iterates infinite or NaN';
  return 'not computed yet';
}

// The changes another rounding makes, in the order a legend lists them.
export const CHANGES = ['the same', 'more runs', 'fewer runs', 'Done line gained', 'Done line lost', 'another end'];

// How another rounding changes an outcome: { own, other } to one of CHANGES.
export function changeOf({ own, other }) {
  if (own === other) return 'the same';
  const done = (outcome) => typeof outcome === 'number';
  if (done(own) && done(other)) return other > own ? 'more runs' : 'fewer runs';
  if (done(own)) return 'Done line lost';
  if (done(other)) return 'Done line gained';
  return 'another end';
}
