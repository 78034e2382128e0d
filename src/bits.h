// An iterate to the last bit, for the page: a double as the shortest decimal
// that reads back as it and in C's hexadecimal notation, how many doubles a
// run stepped over, and, over a stretch of runs, whether the iterate became
// NaN or went round a cycle of doubles, which is why no Done line comes.
#ifndef DAMPED_NEWTON_BITS_H
#define DAMPED_NEWTON_BITS_H

#include <cstdint>
#include <string>
#include <vector>

// The fewest significant digits that read back as x, plainly written from
// 1e-5 to below 1e17 ("0.95", "-1.769292354238631", "100") and with an
// exponent beyond ("1e-07", "1e+200"); "inf", "-nan" and the like as
// hexText() writes them.
std::string shortestText(double x);

// x as printf's %a writes it with glibc: "-0x1.c4f057fe848c6p+0", "0x0p+0",
// subnormals as "0x0.0000000000001p-1022", and "inf", "-nan" and the like.
std::string hexText(double x);

// The signed count of doubles from `from` to `to` along the number line, +0
// and -0 one place, as "+9", "-4" or "0"; "NaN" when either is NaN. Exact for
// any two: the widest span, -inf to +inf, is under 2^64.
std::string ulpsMoved(double from, double to);

// x to two significant digits, for a sentence: "0.41", "3.7", "25",
// "9.0e-17", "1.5e+15"; "inf", "nan" and the like as hexText() writes them.
std::string roughText(double x);

// How a run's damped step compares with the doubles around x: the gap from x
// to its neighbour on the side the step goes (x less the step), which is
// half as wide below a power of two as above it, and the step's size in
// such gaps. Under half a gap, x - step rounds back to x; at exactly half,
// the hardware rounds to the neighbour whose last bit is even.
struct StepGaps {
    double gap;    // NaN where x is not finite
    double gaps;   // |step| / gap, exact but where it underflows
    bool down;     // the neighbour below x, for a positive step
};
StepGaps stepGaps(double x, double step);

// gaps as roughText() writes it, with more digits where two would round it
// to one half and it is not: "0.41", "0.5", "0.49999999999999994".
std::string gapsText(double gaps);

// How many doubles apart x and y are, neither NaN, +0 and -0 one place.
std::uint64_t ulpsApart(double x, double y);

// A cycle within this many ulps goes round neighbouring doubles by the root,
// where f(x) is rounding noise; a wider one never came near it.
constexpr std::uint64_t neighbourSpan = std::uint64_t{1} << 20;

// Whether x and y are the same double, bit for bit: -0 is not +0, and a NaN
// is the NaN of its own pattern.
bool sameDouble(double x, double y);

// Where a stretch of runs stands: `iterates` are the iterate before its
// first run and then the one after each run. Indices are into `iterates`; -1
// where there is none.
struct Ending {
    std::int32_t firstNaN = -1;
    std::int32_t cycleStart = -1;  // the first iterate of a cycle that then repeats
    std::int32_t period = 0;       // how many doubles it goes round
    std::string spanUlps;          // from the least of them to the greatest
    bool byTheRoot = false;        // within neighbourSpan: neighbouring doubles
};
Ending endingOf(const std::vector<double>& iterates);

#endif
