/* damped-newton's screen for a NaN run written the C way: the same bytes, each
 * line formatted by printf's %g and flushed at once, and no arithmetic at all.
 * Usage: reference LIMIT */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv)
{
    long limit = argc > 1 ? atol(argv[1]) : 0;
    double iterate = -NAN; /* the NaN that infinity over infinity yields here */

    printf("y for default values / n to input values\n");
    fflush(stdout);
    printf("enter startpoint (double): \nenter lambda (double): \n");
    printf("enter maxRuns int: \n\n");
    fflush(stdout);
    for (long run = 0; run < limit; ++run) {
        printf("%g\n", iterate);
        fflush(stdout);
    }
    return 0;
}
