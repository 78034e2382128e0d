/* A pow that forms whole powers by multiplying, as MinGW-w64's runtime does:
 * the square as x * x, the cube as (x * x) * x. Preloaded into the Linux
 * program, with NaN spelled without its sign, it must print the screens that
 * the Windows build prints: the Windows screens in the tests are checked
 * against it, not captured. The program asks for no other powers. */
#include <stdlib.h>

double pow(double x, double y)
{
    if (y == 2.0)
        return x * x;
    if (y == 3.0)
        return x * x * x;
    abort();
}
