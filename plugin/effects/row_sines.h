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
// from row to row by rotations instead of one sin() call per row: rows 1 to
// 3 are row 0 turned by the frequency, once, twice and three times, and from
// there rows run in four independent chains (row i feeds row i + 4) turned
// by four times the frequency, which quarters the latency of the recurrence.
//
// Error bound, |estimate - std::sin(x_i)| <= bound_i, with u = 2^-53 the
// unit roundoff:
//  (a) Rotation. The start (cos p, sin p) and the steps (cos f, sin f) and
//      (cos 4f, sin 4f) come from libm, each within 2u of the true value
//      (libm is good to 1 ulp; for values of magnitude <= 1 one ulp is <= u;
//      4f is exact). In the 2-norm a step v' = R~ v + r has
//      ||R~|| <= 1 + 2^-51, ||R~ - R|| <= sqrt(2) * 2u and rounding
//      ||r|| <= sqrt(2) * 3u * 1.02 (two products and one sum per component,
//      all terms below 1.02 in magnitude), so each step adds at most 8u and
//      the start is off by at most sqrt(2) * 2u. Row i is reached in at most
//      i steps; over i <= 2^31 steps the growth factor (1 + 2^-51)^i stays
//      below 1.001, hence |estimate - sin theta_i| <= 1.001 * (sqrt(2) * 2u
//      + 8u * i) <= (1 + i) * 2^-49, which also keeps every term below 1.02.
//  (b) Angle. x_i differs from theta_i by the two roundings that made it:
//      |x_i - theta_i| <= u * (|fl(i * f)| + |x_i|) * (1 + 2u), and sin is
//      1-Lipschitz.
//  (c) libm. |std::sin(x_i) - sin x_i| <= 2u.
// bound_i = (2 + i) * 2^-49 + 2^-51 * (|fl(i * f)| + |x_i|) covers
// (a) + (b) + (c) with room for the roundings in computing the bound itself
// and in forming estimate -/+ bound: (c) plus those roundings take less than
// the extra 2^-49, and 2^-51 is four times the coefficient (b) needs.
//
// (c) holds where the C runtime's sin is good to 1 ulp, as glibc's is.
// mingw's, in the 32-bit Windows build, rests on the x87 fsin instruction
// and was measured up to 123 ulp off for angles below 10^6 and far more
// beyond; no honest bound covers it, so there every row calls sin and the
// frames stay those of that runtime's sin.
#if defined(__GLIBC__)
constexpr bool kLibmSineWithinOneUlp = true;
#else
constexpr bool kLibmSineWithinOneUlp = false;
#endif

class RowSines {
 public:
  static constexpr int kBlock = 64;

  // Estimates for a block of consecutive rows.
  struct Block {
    double angle[kBlock];  // x_i exactly as the plain algorithm forms it
    double sine[kBlock];   // estimate of std::sin(angle)
    double bound[kBlock];  // |sine - std::sin(angle)| <= bound
  };

  explicit RowSines(const WaveEffect &effect) : frequency_(effect.frequency), phase_(effect.phase) {
    const double step_cos = std::cos(frequency_), step_sin = std::sin(frequency_);
    cos_[0] = std::cos(phase_);
    sin_[0] = std::sin(phase_);
    for (int chain = 1; chain < kChains; ++chain) {
      cos_[chain] = cos_[chain - 1] * step_cos - sin_[chain - 1] * step_sin;
      sin_[chain] = sin_[chain - 1] * step_cos + cos_[chain - 1] * step_sin;
    }
    step_cos_ = std::cos(kChains * frequency_);
    step_sin_ = std::sin(kChains * frequency_);
  }

  // Fills `out` for the next `rows` rows (at most kBlock), starting at row 0.
  // Every block but the last must have a multiple of kChains rows.
  void next_block(int rows, Block &out) {
    double row = static_cast<double>(row_);
    for (int k = 0; k < rows; ++k, row += 1.0) {
      const double product = row * frequency_;
      out.angle[k] = product + phase_;
      out.bound[k] =
          (2.0 + row) * 0x1p-49 + 0x1p-51 * (std::fabs(product) + std::fabs(out.angle[k]));
    }
    row_ += rows;
    // Without a 1-ulp libm every row calls sin; the estimates would go unused.
    if (!kLibmSineWithinOneUlp) return;
    double c0 = cos_[0], c1 = cos_[1], c2 = cos_[2], c3 = cos_[3];
    double s0 = sin_[0], s1 = sin_[1], s2 = sin_[2], s3 = sin_[3];
    const double sc = step_cos_, ss = step_sin_;
    double sines[kBlock + kChains];
    for (int k = 0; k < rows; k += kChains) {
      sines[k] = s0;
      sines[k + 1] = s1;
      sines[k + 2] = s2;
      sines[k + 3] = s3;
      double t;
      t = c0 * sc - s0 * ss, s0 = s0 * sc + c0 * ss, c0 = t;
      t = c1 * sc - s1 * ss, s1 = s1 * sc + c1 * ss, c1 = t;
      t = c2 * sc - s2 * ss, s2 = s2 * sc + c2 * ss, c2 = t;
      t = c3 * sc - s3 * ss, s3 = s3 * sc + c3 * ss, c3 = t;
    }
    for (int k = 0; k < rows; ++k) out.sine[k] = sines[k];
    cos_[0] = c0, cos_[1] = c1, cos_[2] = c2, cos_[3] = c3;
    sin_[0] = s0, sin_[1] = s1, sin_[2] = s2, sin_[3] = s3;
  }

 private:
  double frequency_;
  double phase_;
  static constexpr int kChains = 4;
  double cos_[kChains];  // chain j holds the next row i with i % 4 == j
  double sin_[kChains];
  double step_cos_;
  double step_sin_;
  int64_t row_ = 0;
};

}  // namespace wavefx

#endif  // WAVEFX_ROW_SINES_H
