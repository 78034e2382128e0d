// The damped step computed other ways than the program computes it, each a
// rounding that a real build or a reasonable hand might choose, for the page
// to set beside the program's run. The console never takes any of them.
#ifndef DAMPED_NEWTON_ROUNDINGS_H
#define DAMPED_NEWTON_ROUNDINGS_H

#include "newton.h"

#include <cstdint>

// The cube and the square as products, (x * x) * x and x * x, as MinGW-w64's
// pow forms whole powers.
double productsStep(double x, double damping);

// The multiplies and adds that GCC fuses when contraction is allowed on a CPU
// with FMA: cube - 2x, 3x^2 - 2 and x - q * damping each rounded once.
double fusedStep(double x, double damping);

// The damping on the numerator: x - (damping * f(x)) / f'(x).
double numeratorStep(double x, double damping);

// Horner's form: f(x) = (x * x - 2) * x + 2 over f'(x) = (3 * x) * x - 2.
double hornerStep(double x, double damping);

// Single precision throughout: x and damping rounded to float, float's own
// pow, every operation rounded to float; the result is that float, exactly.
double singleStep(double x, double damping);

// The steps by number, as the page names them: 0 is the program's own, then
// the five above in the order declared; nullptr for any other number.
Step roundingStep(std::int32_t rounding);

#endif
