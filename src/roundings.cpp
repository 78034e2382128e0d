// Other roundings of the damped step, each written as the program's step is:
// one named value per rounded operation, in the order given, so that each
// differs from the program's only where its name says. The build forbids
// contraction here as in the program: the fused step fuses by std::fma, where
// it says so, and nowhere else.
#include "roundings.h"

#include <cmath>
#include <cstdint>
#include <math.h>

double productsStep(double x, double damping)
{
    const double square = x * x;
    const double cube = square * x;
    const double twiceX = x + x;
    const double cubeLessTwiceX = cube - twiceX;
    const double fx = cubeLessTwiceX + 2.0;

    const double threeSquares = square * 3.0;
    const double dfx = threeSquares - 2.0;

    const double quotient = fx / dfx;
    const double step = quotient * damping;
    return x - step;
}

// GCC 12 with -O3 -march=native -ffp-contract=fast turns the program's x + x
// into 2 * x and fuses three pairs (vfnmadd, vfmadd, vfnmadd in its output).
// The first changes nothing but overflow, 2x being exact; the others round
// once where the program rounds twice.
double fusedStep(double x, double damping)
{
    const double cube = std::pow(x, 3.0);
    const double cubeLessTwiceX = std::fma(-2.0, x, cube);
    const double fx = cubeLessTwiceX + 2.0;

    const double square = std::pow(x, 2.0);
    const double dfx = std::fma(square, 3.0, -2.0);

    // The instruction negates the product, never its operands: a NaN
    // quotient passes through with its sign, so the minus goes on the
    // damping, which no build's reading makes NaN.
    const double quotient = fx / dfx;
    return std::fma(quotient, -damping, x);
}

double numeratorStep(double x, double damping)
{
    const double cube = std::pow(x, 3.0);
    const double twiceX = x + x;
    const double cubeLessTwiceX = cube - twiceX;
    const double fx = cubeLessTwiceX + 2.0;

    const double square = std::pow(x, 2.0);
    const double threeSquares = square * 3.0;
    const double dfx = threeSquares - 2.0;

    const double dampedFx = damping * fx;
    const double step = dampedFx / dfx;
    return x - step;
}

double hornerStep(double x, double damping)
{
    const double square = x * x;
    const double squareLessTwo = square - 2.0;
    const double timesX = squareLessTwo * x;
    const double fx = timesX + 2.0;

    const double threeX = 3.0 * x;
    const double threeSquares = threeX * x;
    const double dfx = threeSquares - 2.0;

    const double quotient = fx / dfx;
    const double step = quotient * damping;
    return x - step;
}

// float operands keep every operation in float: the literals are floats.
// The C library's powf is called by name: libstdc++'s std::pow of two floats
// is a builtin, which GCC turns into x * x for the square whatever the flags.
double singleStep(double x, double damping)
{
    const float xf = static_cast<float>(x);
    const float dampingF = static_cast<float>(damping);

    const float cube = ::powf(xf, 3.0f);
    const float twiceX = xf + xf;
    const float cubeLessTwiceX = cube - twiceX;
    const float fx = cubeLessTwiceX + 2.0f;

    const float square = ::powf(xf, 2.0f);
    const float threeSquares = square * 3.0f;
    const float dfx = threeSquares - 2.0f;

    const float quotient = fx / dfx;
    const float step = quotient * dampingF;
    return xf - step;
}

Step roundingStep(std::int32_t rounding)
{
    static constexpr Step steps[] = {dampedStep, productsStep, fusedStep, numeratorStep, hornerStep, singleStep};
    if (rounding < 0 || rounding >= static_cast<std::int32_t>(sizeof steps / sizeof steps[0])) {
        return nullptr;
    }
    return steps[rounding];
}
