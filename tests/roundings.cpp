// The roundings of the step over a grid of the map, asked of the same C++
// the page's module answers with, built natively. Standard input: a line of
// start texts, a line of λ texts, then the limit; each text is read as the
// program reads it. Standard output: for each rounding, 0 the program's own,
// one line of every cell's outcome as rounding_outcome answers it, λ by λ and
// start by start within each.
#include "../src/parameters.h"

#include <cfenv>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

extern "C" {
char* textBuffer(std::uint32_t size);
std::int32_t readDialogue();
double readStart();
std::int32_t roundingOutcome(std::int32_t rounding, double start, double damping, std::int32_t limit);
}

// Linked in by the iteration; every value here comes from a text.
double point;
double lambda;
std::int32_t maxRuns;

namespace {

constexpr std::int32_t roundings = 6;

std::vector<double> readLine(const std::string& line)
{
    std::istringstream words(line);
    std::vector<double> values;
    for (std::string word; words >> word;) {
        const std::string dialogue = "n\n" + word + "\n";
        std::memcpy(textBuffer(static_cast<std::uint32_t>(dialogue.size())), dialogue.data(), dialogue.size());
        readDialogue();
        values.push_back(readStart());
    }
    return values;
}

}  // namespace

int main()
{
    // As the program does: a fast-math build's startup code may have set
    // subnormal numbers to flush to zero.
    std::fesetenv(FE_DFL_ENV);
    std::string startLine;
    std::string lambdaLine;
    std::int32_t limit = 0;
    if (!std::getline(std::cin, startLine) || !std::getline(std::cin, lambdaLine) || !(std::cin >> limit)) {
        std::cerr << "expected a line of starts, a line of λ and a limit\n";
        return 2;
    }
    const std::vector<double> starts = readLine(startLine);
    const std::vector<double> lambdas = readLine(lambdaLine);
    for (std::int32_t rounding = 0; rounding < roundings; ++rounding) {
        std::string line;
        for (const double damping : lambdas) {
            for (const double start : starts) {
                line += std::to_string(roundingOutcome(rounding, start, damping, limit));
                line += ' ';
            }
        }
        line.pop_back();
        std::cout << line << '\n';
    }
    return 0;
}
