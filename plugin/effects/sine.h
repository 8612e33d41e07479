// The plug-in's own sine and cosine, correctly rounded to nearest for every
// finite double: the exact real value rounded once, so the same bits on every
// platform and compiler. Pure double and 32/64-bit integer arithmetic; no
// libm, no x87, no fused multiply-add.
#ifndef WAVEFX_SINE_H
#define WAVEFX_SINE_H

namespace wavefx {

// sin(x) rounded to nearest; NaN for NaN and infinities; sine(-0) is -0.
double sine(double x);

// cos(x) rounded to nearest; NaN for NaN and infinities.
double cosine(double x);

// Both, exactly as sine(x) and cosine(x), sharing one argument reduction:
// about the cost of one of them where |x| < 2^20.
struct SineAndCosine {
  double sine;
  double cosine;
};
SineAndCosine sine_and_cosine(double x);

namespace sine_detail {

// Which path decided a result, for tests that must reach each of them.
enum class Path { kSpecial, kFast, kAccurate };
double sine_by(double x, Path &path);

// The fast path's estimate of sin x (cosine_shift 0) or cos x (1), for
// finite |x| >= 2^-27: |hi + lo - exact| <= error.
struct FastEstimate {
  double hi;
  double lo;
  double error;
};
FastEstimate fast_estimate(double x, int cosine_shift);

// The accurate path alone (x finite, |x| >= 2^-27): 0 for sin, 1 for cos.
double accurate(double x, int cosine_shift);

}  // namespace sine_detail

}  // namespace wavefx

#endif  // WAVEFX_SINE_H
