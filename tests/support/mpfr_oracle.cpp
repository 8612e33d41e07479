#include "support/mpfr_oracle.h"

#include <mpfr.h>

#include <cmath>

namespace {

constexpr mpfr_prec_t kWide = 400;

// Exponent range of doubles, so that mpfr_subnormalize rounds like IEEE.
void set_double_range() {
  static const bool once = [] {
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
    return true;
  }();
  (void)once;
}

// One 53-bit variable for all calls (the tests are single-threaded).
double rounded(double x, bool cosine) {
  set_double_range();
  static mpfr_t y;
  static const bool initialised = (mpfr_init2(y, 53), true);
  (void)initialised;
  mpfr_set_d(y, x, MPFR_RNDN);
  int ternary = cosine ? mpfr_cos(y, y, MPFR_RNDN) : mpfr_sin(y, y, MPFR_RNDN);
  ternary = mpfr_subnormalize(y, ternary, MPFR_RNDN);
  (void)ternary;
  return mpfr_get_d(y, MPFR_RNDN);
}

void wide_value(mpfr_t out, double x, bool cosine) {
  mpfr_t arg;
  mpfr_init2(arg, 53);
  mpfr_set_d(arg, x, MPFR_RNDN);
  if (cosine) {
    mpfr_cos(out, arg, MPFR_RNDN);
  } else {
    mpfr_sin(out, arg, MPFR_RNDN);
  }
  mpfr_clear(arg);
}

}  // namespace

double mpfr_sine(double x) {
  return rounded(x, false);
}
double mpfr_cosine(double x) {
  return rounded(x, true);
}

double mpfr_distance_to_midpoint(double x, bool cosine) {
  set_double_range();
  mpfr_t v, lower, gap;
  mpfr_inits2(kWide, v, lower, gap, static_cast<mpfr_ptr>(nullptr));
  wide_value(v, x, cosine);
  // The double below |v| and the gap to the next one.
  mpfr_abs(v, v, MPFR_RNDN);
  const double below = mpfr_get_d(v, MPFR_RNDZ);
  const double above = std::nextafter(below, 2.0);
  mpfr_set_d(lower, below, MPFR_RNDN);
  mpfr_set_d(gap, above, MPFR_RNDN);
  mpfr_sub(gap, gap, lower, MPFR_RNDN);
  mpfr_sub(v, v, lower, MPFR_RNDN);
  mpfr_div(v, v, gap, MPFR_RNDN);  // in [0, 1)
  const double fraction = mpfr_get_d(v, MPFR_RNDN);
  mpfr_clears(v, lower, gap, static_cast<mpfr_ptr>(nullptr));
  return std::fabs(fraction - 0.5);
}

double mpfr_error_ratio(double x, bool cosine, double hi, double lo, double bound) {
  set_double_range();
  mpfr_t v, e;
  mpfr_inits2(kWide, v, e, static_cast<mpfr_ptr>(nullptr));
  wide_value(v, x, cosine);
  mpfr_set_d(e, hi, MPFR_RNDN);
  mpfr_add_d(e, e, lo, MPFR_RNDN);
  mpfr_sub(e, e, v, MPFR_RNDN);
  mpfr_abs(e, e, MPFR_RNDN);
  mpfr_div_d(e, e, bound, MPFR_RNDN);
  const double ratio = mpfr_get_d(e, MPFR_RNDU);
  mpfr_clears(v, e, static_cast<mpfr_ptr>(nullptr));
  return ratio;
}
