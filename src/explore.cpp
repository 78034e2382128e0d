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
// f'(x), their quotient and the damped step, each as the shortest decimal.
// Returns the length; text_address() tells where it is.
extern "C" std::uint32_t runBits(double x, double damping)
{
    const StepValues v = dampedStepValues(x, damping);
    text.clear();
    for (const std::string& field : {shortestText(x), hexText(x), shortestText(v.next), hexText(v.next),
                                     ulpsMoved(x, v.next), shortestText(v.fx), shortestText(v.dfx),
                                     shortestText(v.quotient), shortestText(v.step)}) {
        text += field;
        text += '\t';
    }
    text.pop_back();
    return static_cast<std::uint32_t>(text.size());
}

// Why `runs` runs from `before` bring no Done line, if they show it: left in
// the buffer as tab-separated texts, the index of the first NaN iterate, the
// index where a cycle of doubles begins, its period and its span in ulps, and
// then the cycle's doubles in hexadecimal; index 0 is `before`, index k the
// iterate after k runs, and -1 stands for none. Returns the length.
extern "C" std::uint32_t runEnding(double before, std::int32_t runs, double damping)
{
    std::vector<double> iterates{before};
    for (std::int32_t k = 0; k < runs; ++k) {
        iterates.push_back(dampedStep(iterates.back(), damping));
    }
    const Ending ending = endingOf(iterates);
    text = std::to_string(ending.firstNaN) + '\t' + std::to_string(ending.cycleStart) + '\t'
           + std::to_string(ending.period) + '\t' + ending.spanUlps;
    for (std::int32_t k = 0; k < ending.period; ++k) {
        text += '\t' + hexText(iterates[ending.cycleStart + k]);
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

// Where the iteration from `start` with the rounding's step ends: the count
// on its Done line, or, when there is none, 0 if the last iterate (the start,
// when no run moved it) is finite and -1 if it is infinite or NaN.
PAGE_EXPORT("rounding_outcome") std::int32_t roundingOutcome(std::int32_t rounding, double start, double damping,
                                                              std::int32_t limit)
{
    double x = start;
    const std::int32_t runs = iterate(x, damping, limit, keepGoing, stepOf(rounding));
    if (runs != 0) {
        return runs;
    }
    return std::isfinite(x) ? 0 : -1;
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
