// The other roundings of the step that the module computes beside the
// program's own, by the number it knows each by (0 is the program's): what
// each does, and the real build, if any, that rounds so.

// The roundings by the number the module knows them by; 0 is the program's.
export const ROUNDINGS = [
  { number: 1, name: 'products', label: 'cube and square as products',
    how: 'pow(x, 3) and pow(x, 2) formed as (x · x) · x and x · x',
    build: 'the Windows build (MinGW-w64), whose pow multiplies whole powers' },
  { number: 2, name: 'fused', label: 'fused multiply-add',
    how: 'x³ − 2x, 3x² − 2 and x − q · λ each rounded once',
    build: 'a GCC build with -march=native on a CPU with FMA, were -ffp-contract=off not pinned' },
  { number: 3, name: 'numerator', label: 'damping on the numerator',
    how: 'x − (λ · f(x)) / f′(x)', build: null },
  { number: 4, name: 'Horner', label: "Horner's form",
    how: 'f(x) = (x · x − 2) · x + 2 over f′(x) = (3 · x) · x − 2', build: null },
  { number: 5, name: 'single', label: 'single precision',
    how: "float throughout, x and λ rounded to float, float's own pow", build: null },
];

// Runs each rounding is followed for, at most: a limit of 2^31 − 1 would take
// minutes, and this takes some tens of milliseconds for all of them.
export const ROUNDING_RUNS = 100000;
