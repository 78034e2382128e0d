// The console front end: the built-in parameters, the question, the parameter
// dialogue, one damped Newton iteration, and the final wait for a number.
//
// Input is taken as formatted extraction leaves it and never checked: a read
// that fails leaves the stream failed, and every later read then takes nothing.
#include "newton.h"
#include "parameters.h"

#include <cfenv>
#include <cstdint>
#include <iostream>

double point = 0.0;
double lambda = 0.5;
std::int32_t maxRuns = 500;

namespace {

void readParameters()
{
    std::cout << "enter startpoint (double): " << std::flush;
    std::cin >> point;
    std::cout << std::endl;

    std::cout << "enter lambda (double): " << std::flush;
    std::cin >> lambda;
    std::cout << std::endl;

    std::cout << "enter maxRuns int: " << std::flush;
    std::cin >> maxRuns;
    std::cout << std::endl << std::endl;
}

}  // namespace

int main()
{
    // The run counts hold in the default floating-point environment: round to
    // nearest, subnormal numbers kept. Startup code linked in by a fast-math
    // build would otherwise flush subnormals to zero.
    std::fesetenv(FE_DFL_ENV);

    std::cout << "y for default values / n to input values" << std::endl;

    // Extraction leaves the answer untouched when input has already ended;
    // that missing answer counts as "not n", so the built-in values stand.
    char answer = '\0';
    std::cin >> answer;
    if (answer == 'n') {
        readParameters();
    }

    dampedNewton();

    // Keeps the run on screen until any text is entered, input is left over
    // from the answers, or input ends; the value itself is never used.
    std::cin >> point;

    // A screen lost to a full disk or a closed descriptor must not pass for
    // success. (A reader that goes away is another matter: SIGPIPE ends the
    // program then, as it ends any filter.)
    if (!std::cout.flush()) {
        std::cerr << "damped-newton: cannot write to standard output" << std::endl;
        return 1;
    }
    return 0;
}
