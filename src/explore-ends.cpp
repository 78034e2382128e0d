// Where the runs end, for the page's map and its roundings panel: each
// rounding's step by number, where the iteration with it ends and why no
// Done line came, the iterates it lands on, and the first run where its
// iterate parts from the program's.
#include "bits.h"
#include "explore.h"
#include "newton.h"
#include "roundings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// The iterates of the last run that rounding_run() made.
std::vector<double> iterates;

bool keepIterate(double iterate)
{
    iterates.push_back(iterate);
    return true;
}

// The rounding's step, or the program's for a number the page does not know.
Step stepOf(std::int32_t rounding)
{
    const Step step = roundingStep(rounding);
    return step ? step : dampedStep;
}

// The last iterates of the runs rounding_outcome() makes, the start first,
// for a look back at them once the limit has come.
constexpr std::uint32_t lookBack = 64;
std::array<double, lookBack> recent;
std::uint32_t recentCount = 0;

bool keepRecent(double iterate)
{
    recent[recentCount++ % lookBack] = iterate;
    return true;
}

}  // namespace

// The roundings of the step (src/roundings.h), by number, 0 the program's
// own: the same iteration, stop rule and limit with that step.

PAGE_EXPORT("rounding_step") double pageRoundingStep(std::int32_t rounding, double x, double damping)
{
    return stepOf(rounding)(x, damping);
}

// Where the iteration from `start` with the rounding's step ends: the count
// on its Done line; or, when the limit came first, -1 if the last iterate
// (the start, when no run moved it) is infinite or NaN, and for a finite one
// why no Done line came, as the last runs show it: -3 - span for a cycle of
// doubles within `neighbourSpan` of each other, span the ulps from the least
// to the greatest; -2 for a wider cycle, as 1, 0, 1, 0; 0 for runs still
// moving, or going round more than the last 64 iterates show.
PAGE_EXPORT("rounding_outcome") std::int32_t roundingOutcome(std::int32_t rounding, double start, double damping,
                                                              std::int32_t limit)
{
    double x = start;
    recentCount = 0;
    keepRecent(start);
    const std::int32_t runs = iterate(x, damping, limit, keepRecent, stepOf(rounding));
    if (runs != 0) {
        return runs;
    }
    if (!std::isfinite(x)) {
        return -1;
    }
    // The step is a function of x alone: the last iterate come back p runs
    // after an earlier one means the runs go round p doubles.
    const std::uint32_t last = recentCount - 1;
    const std::uint32_t back = std::min(last, lookBack - 1);
    for (std::uint32_t p = 1; p <= back; ++p) {
        if (!sameDouble(recent[(last - p) % lookBack], x)) {
            continue;
        }
        double least = x;
        double greatest = x;
        for (std::uint32_t k = 1; k < p; ++k) {
            least = std::min(least, recent[(last - k) % lookBack]);
            greatest = std::max(greatest, recent[(last - k) % lookBack]);
        }
        const std::uint64_t span = ulpsApart(least, greatest);
        return span <= neighbourSpan ? -3 - static_cast<std::int32_t>(span) : -2;
    }
    return 0;
}

// The same, with the program's step.
PAGE_EXPORT("run_outcome") std::int32_t runOutcome(double start, double damping, std::int32_t limit)
{
    return roundingOutcome(0, start, damping, limit);
}

// The iterates the rounding's runs from `start` land on, the first `limit`
// at most, left at rounding_iterates(); returns how many runs moved the
// iterate, which is how many there are.
extern "C" std::uint32_t roundingRun(std::int32_t rounding, double start, double damping,
                                                      std::int32_t limit)
{
    iterates.clear();
    double x = start;
    iterate(x, damping, limit, keepIterate, stepOf(rounding));
    return static_cast<std::uint32_t>(iterates.size());
}

PAGE_EXPORT("rounding_iterates") const double* roundingIterates()
{
    return iterates.data();
}

// The first run, of the first `limit`, after which the rounding's iterate
// is not the program's, bit for bit, or 0 if none is. A run that leaves the
// iterate unchanged leaves it for the runs after, so a run may part the two
// where one of them has its Done line.
extern "C" std::int32_t roundingParts(std::int32_t rounding, double start, double damping,
                                                         std::int32_t limit)
{
    const Step other = stepOf(rounding);
    double own = start;
    double theirs = start;
    bool ownMoves = true;
    bool theirsMove = true;
    for (std::int32_t run = 1; run <= limit && (ownMoves || theirsMove); ++run) {
        if (ownMoves) {
            const double next = dampedStep(own, damping);
            ownMoves = next != own;
            own = ownMoves ? next : own;
        }
        if (theirsMove) {
            const double next = other(theirs, damping);
            theirsMove = next != theirs;
            theirs = theirsMove ? next : theirs;
        }
        if (!sameDouble(own, theirs)) {
            return run;
        }
    }
    return 0;
}

PAGE_EXPORT("rounding_run") std::uint32_t roundingRunOf(std::int32_t rounding, std::uint64_t start,
                                                        std::uint64_t damping, std::int32_t limit)
{
    return roundingRun(rounding, fromBits(start), fromBits(damping), limit);
}

PAGE_EXPORT("rounding_parts") std::int32_t roundingPartsOf(std::int32_t rounding, std::uint64_t start,
                                                           std::uint64_t damping, std::int32_t limit)
{
    return roundingParts(rounding, fromBits(start), fromBits(damping), limit);
}
