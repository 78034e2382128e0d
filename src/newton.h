// The damped Newton iteration on f(x) = x^3 - 2x + 2: one damped step, the
// loop that repeats it, and the iteration as the front end runs it.
#ifndef DAMPED_NEWTON_NEWTON_H
#define DAMPED_NEWTON_NEWTON_H

#include <cstdint>

// What one run computes from x, each value rounded once, in this order:
// f(x) = (x^3 - 2x) + 2, f'(x) = 3x^2 - 2, their quotient, the quotient damped,
// and the next iterate, x less that step.
struct StepValues {
    double cube;
    double twiceX;
    double cubeLessTwiceX;
    double fx;
    double square;
    double threeSquares;
    double dfx;
    double quotient;
    double step;
    double next;
};

// One run: x - (f(x) / f'(x)) * damping, rounded as the run counts need, with
// every value on the way; dampedStep() is its last.
StepValues dampedStepValues(double x, double damping);
double dampedStep(double x, double damping);

// A damped step: the program's, or another rounding of it for the page.
using Step = double (*)(double x, double damping);

// Runs damped steps from x until a run leaves it unchanged or `limit` runs
// have moved it, leaving in x the last iterate. Each new iterate is handed to
// `moved`, which returns false to end the iteration there. Returns the count
// for the Done line, the unchanging run included, or 0 when there is none.
std::int32_t iterate(double& x, double damping, std::int32_t limit, bool (*moved)(double iterate),
                     Step step = dampedStep);

// The same runs with the usual stop instead of the exact one: the first run
// whose step moves the iterate by at most `tolerance` ends them, that run
// counted. The console never uses it; the page sets it beside the exact stop.
struct ToleranceStop {
    std::int32_t runs;  // the run it stops at, or 0 when the limit came first
    double iterate;     // where that run landed, or the last iterate
};
ToleranceStop toleranceStop(double x, double damping, std::int32_t limit, double tolerance);

// Iterates from `point` with `lambda` for at most `maxRuns` runs, writing every
// new iterate, and the run count once a run leaves the iterate unchanged. Ends
// early at the first iterate line that standard output does not take.
void dampedNewton();

#endif
