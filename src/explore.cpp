// The page's questions to the program, answered by the program's own code:
// what the dialogue's reads make of typed text, one damped step, an iterate
// written as the program writes it, a run to the last bit, why a stretch of
// runs brings no Done line, and where a tolerance would have stopped the runs.
// The page's picture, its table of runs and its lesson take every number and
// every digit from here and from src/explore-ends.cpp, so they hold what the
// program prints, to the last bit.
//
// The module is a WASI reactor: the console's instance runs main(), and an
// instance that never runs main() answers these.
#include "bits.h"
#include "explore.h"
#include "newton.h"
#include "parameters.h"

#include <cmath>
#include <cstring>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Text passed either way: the page writes typed text here, and an iterate's
// text is left here for the page to read.
std::string text;

// What the dialogue's reads made of the last text read.
double startRead = 0.0;
double dampingRead = 0.0;
std::int32_t limitRead = 0;
bool readToEnd = false;

std::uint64_t toBits(double x)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

bool keepGoing(double)
{
    return true;
}

}  // namespace

double fromBits(std::uint64_t bits)
{
    double x = 0.0;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

// Room for `size` bytes of text; the page writes them at the address returned.
PAGE_EXPORT("text_buffer") char* textBuffer(std::uint32_t size)
{
    text.assign(size, '\0');
    return text.data();
}

// Where the text is now: an iterate that write_iterate left, for one.
PAGE_EXPORT("text_address") const char* textAddress()
{
    return text.data();
}

// Reads the text in the buffer as the program reads its input: the answer,
// and on n the start point, the damping factor and the limit, each by the
// same formatted extraction, from the built-in values the program starts
// with. Returns -1 when the answer was not n (the built-in values stand),
// else how many of the three reads succeeded; after a failed read the rest
// take nothing, as in the program. The values are then read_start(),
// read_damping() and read_limit(); read_to_end() tells whether the reads ran
// into the end of the text, where the program would have waited for more.
PAGE_EXPORT("read_dialogue") std::int32_t readDialogue()
{
    std::istringstream in(text);
    startRead = point;
    dampingRead = lambda;
    limitRead = maxRuns;
    char answer = '\0';
    in >> answer;
    std::int32_t succeeded = -1;
    if (answer == 'n') {
        in >> startRead;
        succeeded = static_cast<bool>(in);
        in >> dampingRead;
        succeeded += static_cast<bool>(in);
        in >> limitRead;
        succeeded += static_cast<bool>(in);
    }
    readToEnd = in.eof();
    return succeeded;
}

PAGE_EXPORT("read_to_end") bool readReachedEnd()
{
    return readToEnd;
}

extern "C" double readStart()
{
    return startRead;
}

extern "C" double readDamping()
{
    return dampingRead;
}

PAGE_EXPORT("read_limit") std::int32_t readLimit()
{
    return limitRead;
}

// The program's own step, for the picture's exact iterates.
PAGE_EXPORT("damped_step") double pageDampedStep(double x, double damping)
{
    return dampedStep(x, damping);
}

// Writes x to the buffer as an iterate line shows it, without the line end,
// and returns its length; text_address() tells where it is.
extern "C" std::uint32_t writeIterate(double x)
{
    std::ostringstream out;
    out << x;
    text = out.str();
    return static_cast<std::uint32_t>(text.size());
}

// One run from x to the last bit, left in the buffer as tab-separated texts:
// x as the shortest decimal and in hexadecimal, the same for the iterate the
// run lands on, how many doubles it moved, and the step's own values f(x),
// f'(x), their quotient and the damped step, each as the shortest decimal;
// then for a sentence, to two digits, f(x), the step, the gap to x's neighbour on
// the step's side, the step in such gaps, "down" or "up" for that side, and
// "tie" where the step is exactly half a gap, else "". Returns the length;
// text_address() tells where it is.
extern "C" std::uint32_t runBits(double x, double damping)
{
    const StepValues v = dampedStepValues(x, damping);
    const StepGaps gaps = stepGaps(x, v.step);
    text.clear();
    for (const std::string& field : {shortestText(x), hexText(x), shortestText(v.next), hexText(v.next),
                                     ulpsMoved(x, v.next), shortestText(v.fx), shortestText(v.dfx),
                                     shortestText(v.quotient), shortestText(v.step), roughText(v.fx), roughText(v.step),
                                     roughText(gaps.gap), gapsText(gaps.gaps), std::string(gaps.down ? "down" : "up"),
                                     std::string(gaps.gaps == 0.5 ? "tie" : "")}) {
        text += field;
        text += '\t';
    }
    text.pop_back();
    return static_cast<std::uint32_t>(text.size());
}

// Why `runs` runs from `before` bring no Done line, if they show it: left in
// the buffer as tab-separated texts, the index of the first NaN iterate, the
// index where a cycle of doubles begins, its period, its span in ulps and
// "1" if that makes them neighbours by the root (else "0"), then the
// cycle's doubles in hexadecimal, then for each of them f(x) and
// the damped step in gaps, to two digits; index 0 is `before`, index k the
// iterate after k runs, and -1 stands for none. Returns the length.
extern "C" std::uint32_t runEnding(double before, std::int32_t runs, double damping)
{
    std::vector<double> iterates{before};
    for (std::int32_t k = 0; k < runs; ++k) {
        iterates.push_back(dampedStep(iterates.back(), damping));
    }
    const Ending ending = endingOf(iterates);
    text = std::to_string(ending.firstNaN) + '\t' + std::to_string(ending.cycleStart) + '\t'
           + std::to_string(ending.period) + '\t' + ending.spanUlps + '\t' + (ending.byTheRoot ? "1" : "0");
    for (std::int32_t k = 0; k < ending.period; ++k) {
        text += '\t' + hexText(iterates[ending.cycleStart + k]);
    }
    for (std::int32_t k = 0; k < ending.period; ++k) {
        const double x = iterates[ending.cycleStart + k];
        const StepValues v = dampedStepValues(x, damping);
        text += '\t' + roughText(v.fx) + '\t' + gapsText(stepGaps(x, v.step).gaps);
    }
    return static_cast<std::uint32_t>(text.size());
}

// Where a cycle of `period` doubles that the runs from `start` go round
// began: the fewest runs after which the iterate comes back `period` runs
// later, among the first `runs` runs; -1 if it begins after them. Two
// iterates `period` runs apart are stepped together, so that however many
// runs came before, nothing is kept but the two.
extern "C" std::int32_t cycleStart(double start, std::int32_t period, std::int32_t runs, double damping)
{
    double ahead = start;
    for (std::int32_t k = 0; k < period; ++k) {
        ahead = dampedStep(ahead, damping);
    }
    double behind = start;
    for (std::int32_t after = 0; after <= runs - period; ++after) {
        if (sameDouble(behind, ahead)) {
            return after;
        }
        behind = dampedStep(behind, damping);
        ahead = dampedStep(ahead, damping);
    }
    return -1;
}

// The runs from `start` stopped by a tolerance on the step instead, beside
// where the exact stop ends, left in the buffer as tab-separated texts: the
// run the tolerance stops at (0: the limit came first), its iterate as the
// shortest decimal, the iterate where the exact stop ends, likewise, and
// to two digits the distance between the two, that distance over the
// tolerance, and (1 - damping) / damping, about how many times its step a
// run near the root leaves still to go. Returns the length.
extern "C" std::uint32_t toleranceRun(double start, double damping, std::int32_t limit, double tolerance)
{
    const ToleranceStop stop = toleranceStop(start, damping, limit, tolerance);
    double exact = start;
    iterate(exact, damping, limit, keepGoing);
    const double distance = std::fabs(stop.iterate - exact);
    text = std::to_string(stop.runs) + '\t' + shortestText(stop.iterate) + '\t' + shortestText(exact) + '\t'
           + roughText(distance) + '\t' + roughText(distance / tolerance) + '\t'
           + roughText((1.0 - damping) / damping);
    return static_cast<std::uint32_t>(text.size());
}

// How much of the error near the root a run leaves, as the theory has it,
// |1 - damping|, to two digits, left in the buffer; returns the length.
extern "C" std::uint32_t paceText(double damping)
{
    text = roughText(std::fabs(1.0 - damping));
    return static_cast<std::uint32_t>(text.size());
}

// x in C's hexadecimal notation, left in the buffer; returns the length.
extern "C" std::uint32_t writeHex(double x)
{
    text = hexText(x);
    return static_cast<std::uint32_t>(text.size());
}

// The questions above whose doubles may be an iterate, or a value read, that
// is NaN: the page asks them with the doubles' bits, and reads them so.

PAGE_EXPORT("read_start") std::uint64_t readStartBits()
{
    return toBits(startRead);
}

PAGE_EXPORT("read_damping") std::uint64_t readDampingBits()
{
    return toBits(dampingRead);
}

PAGE_EXPORT("write_iterate") std::uint32_t writeIterateBits(std::uint64_t x)
{
    return writeIterate(fromBits(x));
}

PAGE_EXPORT("write_hex") std::uint32_t writeHexBits(std::uint64_t x)
{
    return writeHex(fromBits(x));
}

// x as the shortest decimal that the program reads back as x (inf and nan as
// it writes them), left in the buffer; returns the length.
PAGE_EXPORT("write_shortest") std::uint32_t writeShortestBits(std::uint64_t x)
{
    text = shortestText(fromBits(x));
    return static_cast<std::uint32_t>(text.size());
}

PAGE_EXPORT("run_bits") std::uint32_t runBitsOf(std::uint64_t x, std::uint64_t damping)
{
    return runBits(fromBits(x), fromBits(damping));
}

PAGE_EXPORT("run_ending") std::uint32_t runEndingOf(std::uint64_t before, std::int32_t runs, std::uint64_t damping)
{
    return runEnding(fromBits(before), runs, fromBits(damping));
}

PAGE_EXPORT("cycle_start") std::int32_t cycleStartOf(std::uint64_t start, std::int32_t period, std::int32_t runs,
                                                     std::uint64_t damping)
{
    return cycleStart(fromBits(start), period, runs, fromBits(damping));
}

PAGE_EXPORT("tolerance_run") std::uint32_t toleranceRunOf(std::uint64_t start, std::uint64_t damping,
                                                          std::int32_t limit, std::uint64_t tolerance)
{
    return toleranceRun(fromBits(start), fromBits(damping), limit, fromBits(tolerance));
}

PAGE_EXPORT("pace_text") std::uint32_t paceTextOf(std::uint64_t damping)
{
    return paceText(fromBits(damping));
}
