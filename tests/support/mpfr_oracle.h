// Sine and cosine from MPFR, the tests' independent oracle (Linux builds).
#ifndef WAVEFX_TESTS_MPFR_ORACLE_H
#define WAVEFX_TESTS_MPFR_ORACLE_H

// sin(x) and cos(x) correctly rounded to nearest double, subnormals included.
double mpfr_sine(double x);
double mpfr_cosine(double x);

// How far sin(x) (or cos(x)) lies from the nearest midpoint between two
// doubles, in units of the result's last place: 0.5 for a value on a double,
// near 0 for a hard case to round.
double mpfr_distance_to_midpoint(double x, bool cosine);

// |(hi + lo) - sin(x)| / bound (or cos), rounded up: <= 1 where bound holds.
double mpfr_error_ratio(double x, bool cosine, double hi, double lo, double bound);

#endif  // WAVEFX_TESTS_MPFR_ORACLE_H
