// The page's questions about a run's last bits, asked of the same C++ built
// natively. Each line of standard input is START LAMBDA LIMIT, the start and
// λ in C's hexadecimal notation so that they are the very doubles meant; for
// each, one line per run of what run_bits answers (the run that leaves the
// iterate unchanged included), then "ending" and what run_ending answers for
// the runs that moved it, and where it names a cycle, "cycle_start" and what
// cycle_start answers for it from the start point; then "tolerance" and what
// tolerance_run answers at SciPy's tolerance, 1.48e-8.
#include "../src/parameters.h"

#include <cfenv>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>

extern "C" {
const char* textAddress();
std::uint32_t runBits(double x, double damping);
std::uint32_t runEnding(double before, std::int32_t runs, double damping);
std::int32_t cycleStart(double start, std::int32_t period, std::int32_t runs, double damping);
double pageDampedStep(double x, double damping);
std::uint32_t toleranceRun(double start, double damping, std::int32_t limit, double tolerance);
}

// Linked in by the iteration, which this never runs.
double point;
double lambda;
std::int32_t maxRuns;

int main()
{
    // As the program does: a fast-math build's startup code may have set
    // subnormal numbers to flush to zero.
    std::fesetenv(FE_DFL_ENV);
    std::string startText;
    std::string lambdaText;
    std::int32_t limit = 0;
    while (std::cin >> startText >> lambdaText >> limit) {
        const double start = std::strtod(startText.c_str(), nullptr);
        const double damping = std::strtod(lambdaText.c_str(), nullptr);
        double x = start;
        std::int32_t moved = 0;
        for (std::int32_t run = 0; run < limit; ++run) {
            // The text is made first, then where it is asked: a call makes it anew.
            const std::uint32_t length = runBits(x, damping);
            std::cout << std::string(textAddress(), length) << '\n';
            const double next = pageDampedStep(x, damping);
            if (next == x) {
                break;
            }
            x = next;
            ++moved;
        }
        const std::uint32_t length = runEnding(start, moved, damping);
        const std::string ending(textAddress(), length);
        std::cout << "ending\t" << ending << '\n';
        // The period is the third field.
        const std::size_t third = ending.find('\t', ending.find('\t') + 1) + 1;
        const int period = std::atoi(ending.c_str() + third);
        if (period > 0) {
            std::cout << "cycle_start\t" << cycleStart(start, period, moved, damping) << '\n';
        }
        const std::uint32_t stop = toleranceRun(start, damping, limit, 1.48e-8);
        std::cout << "tolerance\t" << std::string(textAddress(), stop) << '\n';
    }
    return 0;
}
