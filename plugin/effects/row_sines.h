// Sines of a wave's angle for consecutive rows without one sine() call per
// row, each with a proven bound on its distance from the correctly rounded
// sine of the angle the plain algorithm uses. Header-only so the row loop
// can inline it.
#ifndef WAVEFX_ROW_SINES_H
#define WAVEFX_ROW_SINES_H

#include <cmath>
#include <cstdint>

#include "isa_namespace.h"
#include "sine.h"
#include "wave_effect.h"

namespace wavefx {
inline namespace WAVEFX_ISA {

// Rows i = 0, 1, 2, ... of one frame. The plain algorithm evaluates
// sine(x_i) with x_i = fl(fl(i * frequency) + phase) in double precision and
// sine() correctly rounded. Here (cos, sin) of theta_i = phase + i *
// frequency (exact reals) is carried from row to row by rotations: rows 1
// to 3 are row 0 turned by the frequency f, once, twice and three times, and
// from there rows run in four independent chains (row i feeds row i + 4)
// turned by 4f (exact), which quarters the latency of the recurrence. Row i
// is thus n_i = (i mod 4) + floor(i / 4) rotations from row 0.
//
// Error bound, |estimate_i - sine(x_i)| <= bound_i, with u = 2^-53:
//  (a) Rotation. The start (cos p, sin p) and the steps (cos f, sin f),
//      (cos 4f, sin 4f) are correctly rounded, each component within half
//      an ulp, u/2, of the true value: in the 2-norm the start is off by
//      u/sqrt(2) and a step v' = R~ v + r has ||R~ - R|| <= u/sqrt(2) and
//      ||R~|| <= 1 + u. Rounding: each component is two products and a sum,
//      each rounded by at most u times its magnitude, and |c sc| + |s ss|
//      <= ||v|| ||(sc, ss)|| <= 1.02, so ||r|| <= sqrt(2) * u * 2.04 * 1.02
//      < 2.95u. Over n <= 2^31 steps the growth (1 + u)^n stays below 1.001:
//      |estimate_i - sin theta_i| <= (1 + n_i) * kStepConstantsError
//      + n_i * kStepArithmeticError, each coefficient including the 1.001.
//      Every term then stays below 1.02, as assumed.
//  (b) Angle. x_i differs from theta_i by the two roundings that made it,
//      each at most u times its rounded result: |x_i - theta_i| <= u *
//      (|fl(i f)| + |x_i|); sin is 1-Lipschitz. The frequency is a float (24
//      significant bits), so i * f is exact below row 2^29 and only the sum
//      rounds there.
//  (c) The sine. |sine(x_i) - sin x_i| <= u/2, half an ulp of a value <= 1.
// The row's decision is taken at fl(estimate -/+ bound), each end off by at
// most u (1 + bound): kIntervalRounding covers u of that, and the factor
// 1 + 2^-40 the rest and the roundings in computing the bound itself. One
// bound serves a whole block of rows: every term at its largest over the
// block, which saves computing it row by row.
class RowSines {
 public:
  static constexpr int kBlock = 64;
  static constexpr double kUnitRoundoff = 0x1p-53;
  static constexpr double kStepConstantsError = 0.76 * kUnitRoundoff;
  static constexpr double kStepArithmeticError = 2.96 * kUnitRoundoff;
  static constexpr double kAngleRoundingCoefficient = kUnitRoundoff;
  static constexpr double kRoundedSineError = 0.5 * kUnitRoundoff;
  static constexpr double kIntervalRounding = kUnitRoundoff;
  static constexpr double kFirstRoundedProductRow = 0x1p29;

  // Estimates for a block of consecutive rows.
  struct Block {
    double sine[kBlock];  // estimate of sine(angle(first + k))
    double bound;         // |sine[k] - wavefx::sine(angle(first + k))| <= bound for every k
  };

  // x_i exactly as the plain algorithm forms it. Only rows whose estimate
  // cannot decide them need it, and the bound needs it at a block's ends.
  double angle(int64_t row) const { return static_cast<double>(row) * frequency_ + phase_; }

  explicit RowSines(const WaveEffect &effect) : frequency_(effect.frequency), phase_(effect.phase) {
    const double step_cos = cosine(frequency_), step_sin = sine(frequency_);
    cos_[0] = cosine(phase_);
    sin_[0] = sine(phase_);
    for (int chain = 1; chain < kChains; ++chain) {
      cos_[chain] = cos_[chain - 1] * step_cos - sin_[chain - 1] * step_sin;
      sin_[chain] = sin_[chain - 1] * step_cos + cos_[chain - 1] * step_sin;
    }
    step_cos_ = cosine(kChains * frequency_);
    step_sin_ = sine(kChains * frequency_);
  }

  // Fills `out` for the next `rows` rows (at most kBlock), starting at row 0.
  // Every block but the last must have a multiple of kChains rows.
  void next_block(int rows, Block &out) {
    // One bound for the whole block, each term at its largest there: n_i is
    // at most floor(last / 4) + 3 rows from the block's first (which starts
    // at a multiple of 4), and |x_i| and |fl(i f)| are monotone in i, so
    // largest at an end of the block.
    const int last = rows - 1;
    const double last_row = static_cast<double>(row_ + last);
    const double n = static_cast<double>(row_ / kChains + (last >> 2) + (last < 3 ? last : 3));
    const double rotation = (1.0 + n) * kStepConstantsError + n * kStepArithmeticError;
    const double rounded_product =
        last_row >= kFirstRoundedProductRow ? std::fabs(last_row * frequency_) : 0.0;
    const double first_angle = std::fabs(angle(row_)), last_angle = std::fabs(angle(row_ + last));
    const double largest_angle = first_angle > last_angle ? first_angle : last_angle;
    const double angle_term = kAngleRoundingCoefficient * (rounded_product + largest_angle);
    out.bound = (rotation + angle_term + (kRoundedSineError + kIntervalRounding)) * (1.0 + 0x1p-40);
    row_ += rows;
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

}  // namespace WAVEFX_ISA
}  // namespace wavefx

#endif  // WAVEFX_ROW_SINES_H
