// The texts and counts that show an iterate to the last bit, against facts
// from elsewhere: the C library's %a and its reading of decimals, stepping
// double by double with nextafter, and spans known from the format itself.
#include "../src/bits.h"

#include <cinttypes>
#include <cmath>
#include <cfenv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

int failures = 0;

void expect(bool holds, const std::string& what)
{
    if (!holds && ++failures <= 20) {
        std::printf("FAIL: %s\n", what.c_str());
    }
}

double fromBits(std::uint64_t bits)
{
    double x = 0;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

std::uint64_t bitsOf(double x)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

std::string printed(const char* format, int precision, double x)
{
    char text[64];
    std::snprintf(text, sizeof text, format, precision, x);
    return text;
}

// The significant digits of a decimal text: no leading zeros, and no
// trailing ones, which in "370763115831751040" only hold the places.
int significantDigits(const std::string& text)
{
    std::string digits;
    for (char c : text.substr(0, text.find('e'))) {
        if (c >= '0' && c <= '9' && !(digits.empty() && c == '0')) {
            digits += c;
        }
    }
    digits.erase(digits.find_last_not_of('0') + 1);
    return digits.empty() ? 1 : static_cast<int>(digits.size());
}

// The fewest significant digits that %g needs to read back as x.
int fewestDigits(double x)
{
    for (int precision = 1; precision < 17; ++precision) {
        if (std::strtod(printed("%.*g", precision, x).c_str(), nullptr) == x) {
            return precision;
        }
    }
    return 17;
}

void checkDouble(double x)
{
    const std::string hex = hexText(x);
    expect(hex == printed("%.*a", -1, x), hex + " is %a of " + printed("%.*a", -1, x));
    if (!std::isfinite(x)) {
        expect(shortestText(x) == hex, "a non-finite double is written as %a writes it");
        return;
    }
    const std::string shortest = shortestText(x);
    const double back = std::strtod(shortest.c_str(), nullptr);
    expect(bitsOf(back) == bitsOf(x), shortest + " reads back as " + hex);
    expect(significantDigits(shortest) == fewestDigits(x),
           shortest + " has as few digits as %g can have for " + hex);
}

}  // namespace

int main()
{
    // As the program does: a fast-math build's startup code may have set
    // subnormal numbers to flush to zero.
    std::fesetenv(FE_DFL_ENV);
    // Hexadecimal and shortest texts: the edges of the format, then doubles
    // of every exponent at random.
    const double specials[] = {0.0, -0.0, 0.1, 0.5, 0.95, -1.2994965211676668, 1e200, 1e-7,
                               std::numeric_limits<double>::min(),
                               std::numeric_limits<double>::denorm_min(),
                               -std::numeric_limits<double>::denorm_min(),
                               std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN(),
                               -std::numeric_limits<double>::quiet_NaN(),
                               fromBits(0x000fffffffffffff), fromBits(0x0008000000000000)};
    for (double x : specials) {
        checkDouble(x);
    }
    expect(hexText(-1.7692923542386310) == "-0x1.c4f057fe848c6p+0", "the root's neighbour in hex");
    expect(shortestText(-1.7692923542386318) == "-1.7692923542386318", "the root's other neighbour");
    std::mt19937_64 random(20261209);
    for (int k = 0; k < 100000; ++k) {
        checkDouble(fromBits(random()));
    }

    // Ulps: stepping over k doubles with nextafter, across zero too.
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> froms = {0.0, -0.0, 1.0, -1.7692923542386310, 5e-324, -1e-310, 1e300};
    for (int k = 0; k < 1000; ++k) {
        // Any sign and fraction, with an exponent short of infinity.
        froms.push_back(fromBits((random() & ~(std::uint64_t{0x7ff} << 52)) | ((random() % 2046 + 1) << 52)));
    }
    for (double from : froms) {
        for (int steps = -40; steps <= 40; steps += 3) {
            double to = from;
            // nextafter takes -0 and +0 as one place, as the count does.
            for (int k = 0; k < std::abs(steps); ++k) {
                to = std::nextafter(to, steps > 0 ? inf : -inf);
            }
            std::string wanted = steps == 0 ? "" : steps > 0 ? "+" : "-";
            wanted += std::to_string(std::abs(steps));
            expect(ulpsMoved(from, to) == wanted,
                   "from " + hexText(from) + " by " + std::to_string(steps) + ": " + ulpsMoved(from, to));
        }
    }
    expect(ulpsMoved(0.0, -0.0) == "0", "the two zeros are one place");
    expect(ulpsMoved(1.0, 2.0) == "+4503599627370496", "a binade holds 2^52 doubles");
    expect(ulpsMoved(2.0, 1.0) == "-4503599627370496", "and down again");
    expect(ulpsMoved(std::numeric_limits<double>::max(), inf) == "+1", "infinity is the next place");
    // Each side of zero has 0x7ff << 52 places up to infinity.
    expect(ulpsMoved(-inf, inf) == "+18437736874454810624", "the whole line, past 2^63");
    expect(ulpsMoved(inf, -inf) == "-18437736874454810624", "the whole line, back");
    expect(ulpsMoved(std::nan(""), 1.0) == "NaN" && ulpsMoved(1.0, std::nan("")) == "NaN", "NaN has no place");

    // Endings: a cycle is named from its first double, at its least period.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto ending = [](std::vector<double> iterates) { return endingOf(iterates); };
    Ending e = ending({0.5, 0.25, 1.0, 0.0, 1.0, 0.0, 1.0});
    expect(e.cycleStart == 2 && e.period == 2 && e.spanUlps == "4607182418800017408" && e.firstNaN == -1,
           "1, 0, 1, 0 from the third iterate");
    e = ending({3.0, 1.0, 2.0, 4.0, 1.0, 2.0, 4.0, 1.0});
    expect(e.cycleStart == 1 && e.period == 3, "a cycle of three");
    e = ending({3.0, 2.0, 1.0});
    expect(e.cycleStart == -1 && e.period == 0, "runs still moving");
    e = ending({2.0, -inf, nan, nan});
    expect(e.firstNaN == 2 && e.cycleStart == -1, "NaN from the third iterate, not a cycle");
    e = ending({0.0, -0.0, 0.0});
    expect(e.cycleStart == 0 && e.period == 2 && e.spanUlps == "0", "the two zeros are two bit patterns");

    // Two digits for a sentence, plain near 1 and with a short exponent beyond.
    const std::pair<double, const char*> roughs[] = {
        {9.0e-17, "9.0e-17"}, {2.220446049250313e-16, "2.2e-16"}, {0.41, "0.41"}, {3.68, "3.7"}, {25.4, "25"},
        {99.96, "1.0e+2"}, {0.00123, "0.0012"}, {0.000999, "0.0010"}, {0.0000999, "1.0e-4"}, {-3.552713678800501e-15, "-3.6e-15"},
        {1.5e15, "1.5e+15"}, {0.0, "0"}, {-0.0, "-0"}, {inf, "inf"}};
    for (const auto& [x, text] : roughs) {
        expect(roughText(x) == text, "two digits of " + shortestText(x) + ": " + roughText(x));
    }
    expect(gapsText(0.5) == "0.50", "exactly half a gap");
    expect(gapsText(std::nextafter(0.5, 0.0)) == "0.49999999999999994", "just under half is not rounded up to it");
    expect(gapsText(0.504) == "0.504", "just over half is not rounded down");

    // The gap is to the neighbour on the step's side: below a power of two
    // it is half as wide as above.
    StepGaps g = stepGaps(1.0, 1e-16);
    expect(g.down && g.gap == 0x1p-53 && g.gaps == 1e-16 / 0x1p-53, "a positive step looks below 1");
    g = stepGaps(1.0, -1e-16);
    expect(!g.down && g.gap == 0x1p-52, "a negative step looks above 1");
    g = stepGaps(-1.7692923542386310, 9.0e-17);
    expect(g.gap == 0x1p-52, "the root's gap");
    g = stepGaps(0.0, 1.0);
    expect(g.gap == std::numeric_limits<double>::denorm_min(), "zero's gap is the least subnormal");
    expect(std::isnan(stepGaps(inf, 1.0).gap), "infinity has no gap");

    std::printf("%s\n", failures == 0 ? "all held" : (std::to_string(failures) + " failed").c_str());
    return failures == 0 ? 0 : 1;
}
