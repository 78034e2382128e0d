// An iterate to the last bit. Places on the number line and repeats are read
// from the double's bit pattern, and its texts are exact, so that what the
// page says of a run holds to the bit: which double an iterate is, how many
// doubles a run stepped over, and which doubles repeat.
#include "bits.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr std::uint64_t signBit = std::uint64_t{1} << 63;
constexpr std::uint64_t fractionBits = (std::uint64_t{1} << 52) - 1;

std::uint64_t bitsOf(double x)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

// A double's place on the number line: its sign, and how many doubles lie
// between it and zero. Doubles of one sign are ordered as their bit patterns,
// so the count is the pattern less the sign bit; both zeros are place 0.
struct Place {
    bool negative;
    std::uint64_t fromZero;
};

Place placeOf(double x)
{
    const std::uint64_t bits = bitsOf(x);
    return {(bits & signBit) != 0, bits & ~signBit};
}

}  // namespace

std::string roughText(double x)
{
    if (!std::isfinite(x)) {
        return hexText(x);
    }
    if (x == 0.0) {
        return std::signbit(x) ? "-0" : "0";
    }
    // Two digits as 9.0e-17; plain where they read at a glance, as 0.41 or
    // 25, rounded at the same digit.
    std::array<char, 32> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.1e", x);
    std::string text = buffer.data();
    const std::size_t e = text.find('e');
    const int exponent = std::atoi(text.c_str() + e + 1);
    if (exponent >= -3 && exponent <= 1) {
        std::snprintf(buffer.data(), buffer.size(), "%.*f", 1 - exponent, x);
        return buffer.data();
    }
    std::size_t digits = e + 2;
    while (digits + 1 < text.size() && text[digits] == '0') {
        ++digits;
    }
    return text.substr(0, e + 2) + text.substr(digits);
}

StepGaps stepGaps(double x, double step)
{
    const bool down = step > 0.0;
    const double neighbour = std::nextafter(x, down ? -HUGE_VAL : HUGE_VAL);
    // Neighbouring doubles are one unit of the last place apart, which is
    // itself a double: the difference is exact.
    const double gap = std::isfinite(x) ? std::fabs(neighbour - x) : std::nan("");
    return {gap, std::fabs(step) / gap, down};
}

std::string gapsText(double gaps)
{
    const std::string rough = roughText(gaps);
    return (rough == "0.5" || rough == "0.50") && gaps != 0.5 ? shortestText(gaps) : rough;
}

bool sameDouble(double x, double y)
{
    return bitsOf(x) == bitsOf(y);
}

std::string shortestText(double x)
{
    // Written as printf writes them: libc++ would write -nan(ind).
    if (!std::isfinite(x)) {
        return hexText(x);
    }
    // The fewest significant digits that read back as x, from the library's
    // shortest scientific text: "-1.769292354238631e+00".
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x, std::chars_format::scientific);
    if (result.ec != std::errc{}) {
        return "?";
    }
    const std::string scientific(buffer.data(), result.ptr);
    const std::size_t e = scientific.find('e');
    const int exponent = std::atoi(scientific.c_str() + e + 1);
    // Plain digits where they are few enough to read at a glance, as a
    // learner writes 0.0001 or 100; powers beyond that keep their exponent.
    if (exponent < -5 || exponent >= 17) {
        return scientific;
    }
    const bool negative = scientific[0] == '-';
    std::string digits;
    for (std::size_t k = negative ? 1 : 0; k < e; ++k) {
        if (scientific[k] != '.') {
            digits += scientific[k];
        }
    }
    std::string plain;
    if (exponent < 0) {
        plain = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else {
        const auto whole = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() < whole) {
            digits.append(whole - digits.size(), '0');
        }
        plain = digits.substr(0, whole);
        if (digits.size() > whole) {
            plain += '.';
            plain += digits.substr(whole);
        }
    }
    return (negative ? "-" : "") + plain;
}

std::string hexText(double x)
{
    const std::uint64_t bits = bitsOf(x);
    const std::string sign = (bits & signBit) != 0 ? "-" : "";
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    std::uint64_t fraction = bits & fractionBits;
    if (biased == 0x7ff) {
        return sign + (fraction != 0 ? "nan" : "inf");
    }
    // A subnormal has no hidden 1: it is written as it is stored,
    // 0x0.<fraction>p-1022, as glibc does.
    const int lead = biased != 0 ? 1 : 0;
    const int exponent = biased != 0 ? biased - 1023 : (fraction != 0 ? -1022 : 0);
    std::string hexDigits;
    for (int shift = 48; shift >= 0 && fraction != 0; shift -= 4) {
        hexDigits += "0123456789abcdef"[(fraction >> shift) & 0xf];
        fraction &= (std::uint64_t{1} << shift) - 1;
    }
    return sign + "0x" + std::to_string(lead) + (hexDigits.empty() ? "" : "." + hexDigits) + "p"
           + (exponent < 0 ? "-" : "+") + std::to_string(std::abs(exponent));
}

namespace {

// How many doubles from `from` to `to`, and whether up the line; neither NaN.
std::uint64_t ulpsBetween(double from, double to, bool& up)
{
    const Place a = placeOf(from);
    const Place b = placeOf(to);
    // Up or down the line, and how far. Across zero the two counts add, and
    // their sum stays below 2^64: each is at most that of infinity, 0x7ff << 52.
    if (a.negative == b.negative || a.fromZero == 0 || b.fromZero == 0) {
        // One side of zero: a negative place grows away from zero downwards.
        const bool negativeSide = a.fromZero == 0 ? b.negative : a.negative;
        const bool fartherOut = b.fromZero > a.fromZero;
        up = fartherOut != negativeSide;
        return fartherOut ? b.fromZero - a.fromZero : a.fromZero - b.fromZero;
    }
    up = a.negative;
    return a.fromZero + b.fromZero;
}

}  // namespace

std::uint64_t ulpsApart(double x, double y)
{
    bool up = false;
    return ulpsBetween(x, y, up);
}

std::string ulpsMoved(double from, double to)
{
    if (std::isnan(from) || std::isnan(to)) {
        return "NaN";
    }
    bool up = false;
    const std::uint64_t distance = ulpsBetween(from, to, up);
    if (distance == 0) {
        return "0";
    }
    // Appended, not "+" + std::string: GCC 12 warns wrongly of an overlap
    // there in C++20.
    std::string text(1, up ? '+' : '-');
    text += std::to_string(distance);
    return text;
}

Ending endingOf(const std::vector<double>& iterates)
{
    Ending ending;
    const auto count = static_cast<std::int32_t>(iterates.size());
    for (std::int32_t k = 0; k < count; ++k) {
        if (std::isnan(iterates[k])) {
            ending.firstNaN = k;
            // NaN stays NaN: it is no cycle of doubles, and says why on its own.
            return ending;
        }
    }
    if (count < 2) {
        return ending;
    }
    // The step is a function of the bits of x alone, so the first time the
    // last iterate's bits come back, p runs earlier, the runs have been going
    // round a cycle of p doubles ever since; it began where the pattern,
    // followed back, first holds.
    const std::int32_t last = count - 1;
    std::int32_t period = 0;
    for (std::int32_t p = 1; p <= last && period == 0; ++p) {
        if (sameDouble(iterates[last - p], iterates[last])) {
            period = p;
        }
    }
    if (period == 0) {
        return ending;
    }
    std::int32_t start = last - period;
    while (start > 0 && sameDouble(iterates[start - 1], iterates[start - 1 + period])) {
        --start;
    }
    ending.cycleStart = start;
    ending.period = period;
    std::int32_t least = start;
    std::int32_t greatest = start;
    for (std::int32_t k = start; k < start + period; ++k) {
        if (iterates[k] < iterates[least]) {
            least = k;
        }
        if (iterates[k] > iterates[greatest]) {
            greatest = k;
        }
    }
    ending.spanUlps = ulpsMoved(iterates[least], iterates[greatest]);
    ending.byTheRoot = ulpsApart(iterates[least], iterates[greatest]) <= neighbourSpan;
    if (ending.spanUlps.front() == '+') {
        ending.spanUlps.erase(0, 1);
    }
    return ending;
}
