// A run's outcome, as the module gives it and as the page says it: the
// count on the Done line, or why no Done line came; and how another rounding
// changes it, in a word or two. Every view that names an outcome says it so.

// The module's answer (the count on the Done line; where the limit came
// first, -1 for a last iterate infinite or NaN, and for a finite one 0, -2
// or -3 - span, as reasonOf reads them) as a count, 'finite' or 'infinite'.
export function outcomeOf(result) {
  if (result > 0) return result;
  return result === -1 ? 'infinite' : 'finite';
}

// Why the limit came first to a finite last iterate, as the last runs show
// it: one of REASONS, or null where a Done line came or the iterate is not
// finite.
export const REASONS = ['still moving', 'cycle by the root', 'wider cycle'];
export function reasonOf(result) {
  if (result === 0) return 'still moving';
  if (result === -2) return 'wider cycle';
  return result <= -3 ? 'cycle by the root' : null;
}

// The reason in words, with a cycle's width.
export function reasonText(result) {
  const reason = reasonOf(result);
  if (reason === 'cycle by the root') {
    const span = -3 - result;
    return `going round neighbouring doubles by the root, ${span} ${span === 1 ? 'ulp' : 'ulps'} wide`;
  }
  return { 'still moving': 'still moving at the limit', 'wider cycle': 'going round doubles far apart' }[reason] ?? '';
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
