// The console front end: the built-in parameters, the question, the parameter
// dialogue, one damped Newton iteration, and the final wait for a number.
//
// Input is taken as formatted extraction leaves it and never checked: a read
// that fails leaves the stream failed, and every later read then takes nothing.
// Output is checked, every write and the close at the end: a screen lost to a
// full disk or a closed descriptor must not pass for success.
#include "newton.h"
#include "parameters.h"

#include <cerrno>
#include <cfenv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#if defined(__MINGW32__) && defined(__SSE__)
#include <pmmintrin.h>
#endif

double point = 0.0;
double lambda = 0.5;
std::int32_t maxRuns = 500;

namespace {

// The run counts hold in the default floating-point environment: round to
// nearest, subnormal numbers kept. Startup code linked in by a fast-math build
// would otherwise flush subnormals to zero.
void restoreDefaultFloatingPoint()
{
    std::fesetenv(FE_DFL_ENV);
#if defined(__MINGW32__) && defined(__SSE__)
    // MinGW-w64's reset leaves the SSE flush-to-zero and denormals-are-zero
    // bits as -Ofast's startup code set them.
    _MM_SET_FLUSH_ZERO_MODE(_MM_FLUSH_ZERO_OFF);
    _MM_SET_DENORMALS_ZERO_MODE(_MM_DENORMALS_ZERO_OFF);
#endif
}

bool screenLost = false;
int lostReason = 0;  // errno of the first write or close that failed

void noteScreenLost(int reason)
{
    if (!screenLost) {
        screenLost = true;
        lostReason = reason;
    }
}

// Every line is flushed as it ends and every prompt before its read, so a
// write fails where it is made. Its errno must be kept before anything else
// can overwrite it: reading a number that overflows, or a pow that overflows,
// sets ERANGE.
void noteWriteError()
{
    if (!std::cout) {
        noteScreenLost(errno);
    }
}

void readParameters()
{
    std::cout << "enter startpoint (double): " << std::flush;
    noteWriteError();
    std::cin >> point;
    std::cout << std::endl;

    std::cout << "enter lambda (double): " << std::flush;
    noteWriteError();
    std::cin >> lambda;
    std::cout << std::endl;

    std::cout << "enter maxRuns int: " << std::flush;
    noteWriteError();
    std::cin >> maxRuns;
    std::cout << std::endl << std::endl;
    noteWriteError();
}

// Some file systems (NFS, disk quotas) report a full disk only when the file
// is closed. The runtime flushes std::cout once more at exit; with its stream
// buffer detached that flush does nothing, so nothing touches the closed FILE.
void closeScreen()
{
    std::cout.rdbuf(nullptr);
    if (std::fclose(stdout) != 0) {
        noteScreenLost(errno);
    }
}

// One insertion is one write, so a standard error that other processes share
// gets the line whole.
void reportLostScreen()
{
    std::string line = "damped-newton: write error";
    if (lostReason != 0) {
        line += ": ";
        line += std::strerror(lostReason);
    }
    line += '\n';
    std::cerr << line;
}

}  // namespace

int main()
{
    restoreDefaultFloatingPoint();

    std::cout << "y for default values / n to input values" << std::endl;
    noteWriteError();

    // Extraction leaves the answer untouched when input has already ended;
    // that missing answer counts as "not n", so the built-in values stand.
    char answer = '\0';
    std::cin >> answer;
    if (answer == 'n') {
        readParameters();
    }

    dampedNewton();
    noteWriteError();

    // Keeps the run on screen until any text is entered, input is left over
    // from the answers, or input ends; the value itself is never used.
    std::cin >> point;

    closeScreen();
    // A write after the reader of a pipe has gone is not reported here when
    // SIGPIPE is at its default: the signal has ended the program, as it ends
    // any filter.
    if (screenLost) {
        reportLostScreen();
        return 1;
    }
    return 0;
}
