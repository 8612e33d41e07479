#include "support/reference_sine.h"

#if defined(WAVEFX_TESTS_HAVE_MPFR)
#include "support/mpfr_oracle.h"
double reference_sine(double x) {
  return mpfr_sine(x);
}
#else
#include "effects/sine.h"
double reference_sine(double x) {
  return wavefx::sine(x);
}
#endif
