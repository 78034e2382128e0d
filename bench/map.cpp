// The page's map computed natively: every cell of the whole map (start -4 to
// 4 by 0.025, λ 0.05 to 2 by 0.025, limit 500), each text read and each run
// made by the same C++ the page's module answers with, timed over repeats.
// Prints the median time and the tally of outcomes.
// Usage: map [REPEATS]
#include "../src/newton.h"
#include "../src/parameters.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// The page's questions, as src/explore.cpp exports them.
extern "C" {
char* textBuffer(std::uint32_t size);
std::int32_t readDialogue();
double readStart();
std::int32_t runOutcome(double start, double damping, std::int32_t limit);
}

// Linked in by the iteration; every value here comes from a text.
double point;
double lambda;
std::int32_t maxRuns;

namespace {

// units / 1000 as a decimal text with no trailing zeros, as the map writes it.
std::string decimal(int units)
{
    std::string text = std::to_string(std::abs(units) / 1000);
    std::string fraction = std::to_string(1000 + std::abs(units) % 1000).substr(1);
    fraction.erase(fraction.find_last_not_of('0') + 1);
    if (!fraction.empty()) {
        text += '.' + fraction;
    }
    return (units < 0 ? "-" : "") + text;
}

double read(const std::string& text)
{
    const std::string dialogue = "n\n" + text + "\n";
    std::memcpy(textBuffer(static_cast<std::uint32_t>(dialogue.size())), dialogue.data(), dialogue.size());
    readDialogue();
    return readStart();
}

}  // namespace

int main(int argc, char** argv)
{
    const int repeats = argc > 1 ? std::atoi(argv[1]) : 5;
    std::vector<double> times;
    int done = 0;
    int finite = 0;
    int infinite = 0;
    for (int repeat = 0; repeat < repeats; ++repeat) {
        const auto started = std::chrono::steady_clock::now();
        std::vector<double> starts;
        std::vector<double> lambdas;
        for (int i = 0; i <= 320; ++i) {
            starts.push_back(read(decimal(-4000 + 25 * i)));
        }
        for (int j = 0; j <= 78; ++j) {
            lambdas.push_back(read(decimal(50 + 25 * j)));
        }
        done = finite = infinite = 0;
        for (const double damping : lambdas) {
            for (const double start : starts) {
                const std::int32_t outcome = runOutcome(start, damping, 500);
                (outcome > 0 ? done : outcome == 0 ? finite : infinite) += 1;
            }
        }
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("native map of %d cells: median %.0f ms (%.0f to %.0f); Done %d, finite %d, infinite or NaN %d\n",
                done + finite + infinite, times[times.size() / 2], times.front(), times.back(), done, finite, infinite);
}
