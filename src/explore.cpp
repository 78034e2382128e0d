// The page's questions to the program, answered by the program's own code:
// what the dialogue's reads make of typed text, one damped step, an iterate
// written as the program writes it, and where the iteration ends for a start
// point and a damping factor. The page's picture and map take every number
// from here, so they hold what the program prints, to the last bit.
//
// The module is a WASI reactor: the console's instance runs main(), and an
// instance that never runs main() answers these.
#include "newton.h"
#include "parameters.h"

#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>

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

bool keepGoing(double)
{
    return true;
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

PAGE_EXPORT("read_start") double readStart()
{
    return startRead;
}

PAGE_EXPORT("read_damping") double readDamping()
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
PAGE_EXPORT("write_iterate") std::uint32_t writeIterate(double x)
{
    std::ostringstream out;
    out << x;
    text = out.str();
    return static_cast<std::uint32_t>(text.size());
}

// Where the iteration from `start` ends: the count on its Done line, or, when
// there is none, 0 if the last iterate (the start, when no run moved it) is
// finite and -1 if it is infinite or NaN.
PAGE_EXPORT("run_outcome") std::int32_t runOutcome(double start, double damping, std::int32_t limit)
{
    double x = start;
    const std::int32_t runs = iterate(x, damping, limit, keepGoing);
    if (runs != 0) {
        return runs;
    }
    return std::isfinite(x) ? 0 : -1;
}
