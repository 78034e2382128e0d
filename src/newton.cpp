// The damped Newton iteration: the arithmetic of one step, the loop that
// repeats it until a run no longer moves the iterate or the run limit is hit,
// and that loop writing its lines, as the program runs it. The page's map runs
// the same loop silently.
//
// The stop test compares doubles exactly, so the printed run count depends on
// every rounding below. Each named value is one IEEE double operation, in the
// order written, or one call of the maths library's pow; the build forbids
// contracting a multiply and an add into one fused operation, which would
// round once where this code rounds twice.
#include "newton.h"

#include "parameters.h"

#include <cmath>
#include <cstdint>
#include <iostream>

#ifdef __FAST_MATH__
#error "fast-math reorders and fuses the step; the run counts would change"
#endif

// x - (f(x) / f'(x)) * damping, with f(x) = x^3 - 2x + 2 and f'(x) = 3x^2 - 2.
// The cube and the square come from pow, whose one double result is the
// library's rounding of the power (glibc's is not always the nearest double);
// x * x * x would round twice and change the built-in run's count from 63 to 64.
StepValues dampedStepValues(double x, double damping)
{
    StepValues v{};
    v.cube = std::pow(x, 3.0);
    v.twiceX = x + x;  // exact, unless |x| >= 2^1023 overflows
    v.cubeLessTwiceX = v.cube - v.twiceX;
    v.fx = v.cubeLessTwiceX + 2.0;

    v.square = std::pow(x, 2.0);
    v.threeSquares = v.square * 3.0;
    v.dfx = v.threeSquares - 2.0;

    // The quotient is damped, not the numerator: (damping * fx) / dfx
    // rounds differently.
    v.quotient = v.fx / v.dfx;
    v.step = v.quotient * damping;
    v.next = x - v.step;
    return v;
}

double dampedStep(double x, double damping)
{
    return dampedStepValues(x, damping).next;
}

std::int32_t iterate(double& x, double damping, std::int32_t limit, bool (*moved)(double iterate), Step step)
{
    for (std::int32_t runs = 0; runs < limit; ++runs) {
        const double candidate = step(x, damping);

        // Exact equality is the method's own fixed point: the run changed
        // nothing, so no later run can either. NaN never equals itself and
        // so runs on to the limit.
        if (candidate == x) {
            return runs + 1;
        }

        x = candidate;
        if (!moved(x)) {
            return 0;
        }
    }
    return 0;
}

ToleranceStop toleranceStop(double x, double damping, std::int32_t limit, double tolerance)
{
    for (std::int32_t runs = 0; runs < limit; ++runs) {
        const double next = dampedStep(x, damping);
        const double moved = std::fabs(next - x);
        x = next;
        if (moved <= tolerance) {
            return {runs + 1, x};
        }
    }
    return {0, x};
}

namespace {

// Once a line is lost nothing later can be shown either, and a limit of up to
// 2^31 - 1 runs would go on unseen.
bool writeIterate(double iterate)
{
    std::cout << iterate << std::endl;
    return static_cast<bool>(std::cout);
}

}  // namespace

void dampedNewton()
{
    const std::int32_t runs = iterate(point, lambda, maxRuns, writeIterate);
    if (runs != 0) {
        std::cout << "Done after: " << runs << " runs" << std::endl;
    }
}
