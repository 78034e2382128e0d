/* A pow whose every result is the exact power rounded once to the nearest
 * double, computed with MPFR. Preloaded into the program, it stands in for
 * the maths library's pow, so the dialogues show the run counts that belong
 * to the cubic itself rather than to one library's last-bit errors. */
#include <mpfr.h>

double pow(double x, double y)
{
    /* NaN passes through with its sign, as the maths library's does. */
    if (x != x || y != y)
        return x + y;

    /* Exponent range and subnormals of a double. */
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
    mpfr_t base, exponent, power;
    mpfr_inits2(53, base, exponent, power, (mpfr_ptr)0);
    mpfr_set_d(base, x, MPFR_RNDN);
    mpfr_set_d(exponent, y, MPFR_RNDN);
    int rounding = mpfr_pow(power, base, exponent, MPFR_RNDN);
    mpfr_subnormalize(power, rounding, MPFR_RNDN);
    double result = mpfr_get_d(power, MPFR_RNDN);
    mpfr_clears(base, exponent, power, (mpfr_ptr)0);
    return result;
}
