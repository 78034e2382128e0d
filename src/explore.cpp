// The page's questions to the program, answered by the program's own code:
// what the dialogue's reads make of typed text, one damped step, an iterate
// written as the program writes it, a run to the last bit, why a stretch of
// runs brings no Done line, and where the iteration ends for a start point and
// a damping factor. The page's picture, its table of runs and its map take
// every number and every digit from here, so they hold what the program
// prints, to the last bit.
//
// The module is a WASI reactor: the console's instance runs main(), and an
// instance that never runs main() answers these.
#include "bits.h"
#include "newton.h"
#include "parameters.h"
#include "roundings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#ifdef __wasm__
#define PAGE_EXPORT(name) extern "C" __attribute__((export_name(name)))
#else
#define PAGE_EXPORT(name) extern "C"
#endif

namespace {

// Text passed either way: the page writes typed text here, and an iterate's
// text is left here for the page to read.
std::string text;

// What the dialogue's reads made of the last text read.
double startRead = 0.0;
double dampingRead = 0.0;
std::int32_t limitRead = 0;
bool readToEnd = false;

// The page's doubles cross as their 64 bits: a browser that makes a NaN a
// JavaScript number may drop its sign, which the program prints.
double fromBits(std::uint64_t bits)
{
    double x = 0.0;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

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

}  // namespace

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

// The roundings of the step (src/roundings.h), by number, 0 the program's
// own: the same iteration, stop rule and limit with that step.

PAGE_EXPORT("rounding_step") double pageRoundingStep(std::int32_t rounding, double x, double damping)
{
    return stepOf(rounding)(x, damping);
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

// x to two digits, left in the buffer; returns the length.
extern "C" std::uint32_t writeRough(double x)
{
    text = roughText(x);
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

PAGE_EXPORT("tolerance_run") std::uint32_t toleranceRunOf(std::uint64_t start, std::uint64_t damping,
                                                          std::int32_t limit, std::uint64_t tolerance)
{
    return toleranceRun(fromBits(start), fromBits(damping), limit, fromBits(tolerance));
}

PAGE_EXPORT("pace_text") std::uint32_t paceTextOf(std::uint64_t damping)
{
    return paceText(fromBits(damping));
}

PAGE_EXPORT("write_rough") std::uint32_t writeRoughBits(std::uint64_t x)
{
    return writeRough(fromBits(x));
}
