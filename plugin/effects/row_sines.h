// Sines of a wave's angle for consecutive rows without one sin() call per
// row, each with a proven bound on its distance from std::sin of the angle
// the plain algorithm uses. Header-only so the row loop can inline it.
#ifndef WAVEFX_ROW_SINES_H
#define WAVEFX_ROW_SINES_H

#include <cmath>
#include <cstdint>

#include "wave_effect.h"

namespace wavefx {

// Rows i = 0, 1, 2, ... of one frame. The plain algorithm evaluates
// sin(x_i) with x_i = fl(fl(i * frequency) + phase) in double precision.
// Here (cos, sin) of theta_i = phase + i * frequency (exact reals) is carried
// from row to row by a rotation through the frequency, which costs four
// multiplications and two additions instead of a sin() call.
//
// Error bound, |estimate - std::sin(x_i)| <= bound_i, with u = 2^-53 the
// unit roundoff:
//  (a) Rotation. The start (cos p, sin p) and the step (cos f, sin f) come
//      from libm, each within 2u of the true value (libm is good to 1 ulp;
//      for values of magnitude <= 1 one ulp is <= u). In the 2-norm a step
//      v' = R~ v + r has ||R~|| <= 1 + 2^-51, ||R~ - R|| <= sqrt(2) * 2u and
//      rounding ||r|| <= sqrt(2) * 3u * 1.02 (two products and one sum per
//      component, all terms below 1.02 in magnitude), so each step adds at
//      most 8u and the start is off by at most sqrt(2) * 2u. Over i <= 2^31
//      steps the growth factor (1 + 2^-51)^i stays below 1.001, hence
//      |estimate - sin theta_i| <= 1.001 * (sqrt(2) * 2u + 8u * i)
//      <= (1 + i) * 2^-49, which also keeps every term below 1.02.
//  (b) Angle. x_i differs from theta_i by the two roundings that made it:
//      |x_i - theta_i| <= u * (|fl(i * f)| + |x_i|) * (1 + 2u), and sin is
//      1-Lipschitz.
//  (c) libm. |std::sin(x_i) - sin x_i| <= 2u.
// bound_i = (2 + i) * 2^-49 + 2^-51 * (|fl(i * f)| + |x_i|) covers
// (a) + (b) + (c) with room for the roundings in computing the bound itself
// and in forming estimate -/+ bound: (c) plus those roundings take less than
// the extra 2^-49, and 2^-51 is four times the coefficient (b) needs.
class RowSines {
 public:
  struct Estimate {
    double angle;  // x_i exactly as the plain algorithm forms it
    double sine;   // estimate of std::sin(angle)
    double bound;  // |sine - std::sin(angle)| <= bound
  };

  explicit RowSines(const WaveEffect &effect)
      : frequency_(effect.frequency),
        phase_(effect.phase),
        cos_(std::cos(phase_)),
        sin_(std::sin(phase_)),
        step_cos_(std::cos(frequency_)),
        step_sin_(std::sin(frequency_)) {}

  // The estimate for the next row, starting at row 0.
  Estimate next() {
    const double row = static_cast<double>(row_++);
    const double product = row * frequency_;
    const double angle = product + phase_;
    const double bound = (2.0 + row) * 0x1p-49 + 0x1p-51 * (std::fabs(product) + std::fabs(angle));
    const Estimate estimate = {angle, sin_, bound};
    const double next_cos = cos_ * step_cos_ - sin_ * step_sin_;
    sin_ = sin_ * step_cos_ + cos_ * step_sin_;
    cos_ = next_cos;
    return estimate;
  }

 private:
  double frequency_;
  double phase_;
  double cos_;
  double sin_;
  double step_cos_;
  double step_sin_;
  int64_t row_ = 0;
};

// The integer that a row's sine decides (a source row, a shift), where
// `decide` is monotone in the sine: if it gives the same answer at both ends
// of the estimate's interval, that is the answer std::sin would give;
// otherwise the row lies too near a truncation boundary and std::sin decides.
template <typename Decide>
int32_t decide_row(const RowSines::Estimate &estimate, Decide decide) {
  const int32_t low = decide(estimate.sine - estimate.bound);
  const int32_t high = decide(estimate.sine + estimate.bound);
  if (low == high) return low;
  return decide(std::sin(estimate.angle));
}

}  // namespace wavefx

#endif  // WAVEFX_ROW_SINES_H
