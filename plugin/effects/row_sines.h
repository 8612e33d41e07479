// Sines of a wave's angle for consecutive rows without one sine() call per
// row, each with a proven bound on its distance from the correctly rounded
// sine of the angle the plain algorithm uses. Header-only so the row loop
// can inline it.
#ifndef WAVEFX_ROW_SINES_H
#define WAVEFX_ROW_SINES_H

#include <cstdint>

#include "isa_namespace.h"

#if defined(WAVEFX_ROWS_SSE2)
#include <emmintrin.h>
#endif
#if defined(WAVEFX_ROWS_AVX)
#include <immintrin.h>
#endif

#include "compiler_hints.h"
#include "debug_assert.h"
#include "sine.h"
#include "step_rotation.h"
#include "wave_effect.h"

namespace wavefx {
inline namespace WAVEFX_ISA {

// Rows i = 0, 1, 2, ... of one frame. The plain algorithm evaluates
// sine(x_i) with x_i = fl(fl(i * frequency) + phase) in double precision and
// sine() correctly rounded. Here (cos, sin) of theta_i = phase + i *
// frequency (exact reals) is carried from row to row by rotations: rows 1
// to 7 are row 0 turned by the frequency f, once, twice, ... seven times,
// and from there rows run in C = 8 independent chains (row i feeds row
// i + 8) turned by 8f (exact), which divides the latency of the recurrence
// by eight. Row i is thus n_i = (i mod 8) + floor(i / 8) rotations from
// row 0.
//
// Error bound, |estimate_i - sine(x_i)| <= bound_i, with u = 2^-53:
//  (a) Rotation. The start (cos p, sin p) and the steps (cos f, sin f),
//      (cos 8f, sin 8f) are correctly rounded, each component within half
//      an ulp, u/2, of the true value: in the 2-norm the start is off by
//      u/sqrt(2) and a step v' = R~ v + r has ||R~ - R|| <= u/sqrt(2) and
//      ||R~|| <= 1 + u. Rounding: each component of v' is two products and
//      a sum, each rounded by at most u times its magnitude. With m the sum
//      of a component's two product magnitudes, m <= ||v|| ||(sc, ss)|| <=
//      1.0001 (1 + u) (Cauchy-Schwarz), and E the exact component, the
//      component is off by at most u (m (1 + u) + |E|). In the 2-norm, by
//      the triangle inequality, ||r|| <= u ((1 + u) sqrt(2) max m +
//      ||R~ v||) <= u * 1.0001 (1 + u) ((1 + u) sqrt(2) + 1) < 2.4145u.
//      Over n <= 2^31 steps the growth (1 + u)^n stays below 1.001:
//      |estimate_i - sin theta_i| <= (1 + n_i) * kStepConstantsError
//      + n_i * kStepArithmeticError, each coefficient including the 1.001.
//      Every term then stays below 10^-4, so ||v|| <= 1.0001, as assumed.
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
  static constexpr int kChains = 8;  // C, dividing kBlock
  static constexpr double kUnitRoundoff = 0x1p-53;
  static constexpr double kStepConstantsError = 0.76 * kUnitRoundoff;
  static constexpr double kStepArithmeticError = 2.42 * kUnitRoundoff;
  static constexpr double kAngleRoundingCoefficient = kUnitRoundoff;
  static constexpr double kRoundedSineError = 0.5 * kUnitRoundoff;
  static constexpr double kIntervalRounding = kUnitRoundoff;
  static constexpr double kFirstRoundedProductRow = 0x1p29;

  // Estimates for a block of consecutive rows.
  struct Block {
    double sine[kBlock + kChains - 1];  // estimate of sine(angle(first + k)); room for a last step
    double bound;  // |sine[k] - wavefx::sine(angle(first + k))| <= bound for every k
  };

  // x_i exactly as the plain algorithm forms it. Only rows whose estimate
  // cannot decide them need it, and the bound needs it at a block's ends.
  // Rows are whole numbers below 2^53, so taking them as doubles is exact.
  double angle(double row) const { return row * frequency_ + phase_; }

  explicit RowSines(const WaveEffect &effect) : frequency_(effect.frequency), phase_(effect.phase) {
    const StepRotation turns = step_rotation(effect.frequency, kChains);
    const SineAndCosine start = sine_and_cosine(phase_);
    cos_[0] = start.cosine;
    sin_[0] = start.sine;
    for (int chain = 1; chain < kChains; ++chain) {
      cos_[chain] = cos_[chain - 1] * turns.cos_one - sin_[chain - 1] * turns.sin_one;
      sin_[chain] = sin_[chain - 1] * turns.cos_one + cos_[chain - 1] * turns.sin_one;
    }
    step_cos_ = turns.cos_many;
    step_sin_ = turns.sin_many;
  }

  // Fills `out` for the next `rows` rows (at most kBlock), starting at row 0.
  // Every block but the last must have a multiple of kChains rows.
  void next_block(int rows, Block &out) {
    WAVEFX_ASSERT(rows >= 1 && rows <= kBlock);
    WAVEFX_ASSERT(static_cast<int64_t>(row_) % kChains == 0);
    out.bound = bound_over(rows);
    row_ += rows;
    rotate(rows, out.sine);
  }

 private:
  // One bound for the next `rows` rows, each term at its largest there: n_i
  // is at most floor(last / C) + C - 1 more than the block's first row's
  // floor(first / C) (the block starts at a multiple of C), and |x_i| and
  // |fl(i f)| are monotone in i, so largest at an end of the block.
  // All in double arithmetic: whole numbers this small are exact there,
  // and the 32-bit build would take 64-bit integers through the x87 unit.
  double bound_over(int rows) const {
    const int last = rows - 1;
    const double last_row = row_ + last;
    const double n =
        row_ * (1.0 / kChains) + (last / kChains + (last < kChains - 1 ? last : kChains - 1));
    WAVEFX_ASSERT(n <= 0x1p31);  // the growth factor's premise in (a)
    const double rotation = (1.0 + n) * kStepConstantsError + n * kStepArithmeticError;
    const double rounded_product =
        last_row >= kFirstRoundedProductRow ? magnitude(last_row * frequency_) : 0.0;
    const double first_angle = magnitude(angle(row_)), last_angle = magnitude(angle(last_row));
    const double largest_angle = first_angle > last_angle ? first_angle : last_angle;
    const double angle_term = kAngleRoundingCoefficient * (rounded_product + largest_angle);
    return (rotation + angle_term + (kRoundedSineError + kIntervalRounding)) * (1.0 + 0x1p-40);
  }

  // Writes the sines of the next `rows` rows, rounded up to whole steps of
  // the chains, to `sine`, and turns the chains past them. The chains run
  // side by side in vector lanes, each lane the scalar step
  // c' = c sc - s ss, s' = s sc + c ss.
  void rotate(int rows, double *sine) {
#if defined(WAVEFX_ROWS_SSE2)
#if defined(WAVEFX_ROWS_AVX)
    using Lanes = __m256d;
    const auto load = [](const double *from) { return _mm256_loadu_pd(from); };
    const auto store = [](double *to, Lanes v) { _mm256_storeu_pd(to, v); };
    const auto set = [](double x) { return _mm256_set1_pd(x); };
    const auto add = [](Lanes a, Lanes b) { return _mm256_add_pd(a, b); };
    const auto sub = [](Lanes a, Lanes b) { return _mm256_sub_pd(a, b); };
    const auto mul = [](Lanes a, Lanes b) { return _mm256_mul_pd(a, b); };
#else
    using Lanes = __m128d;
    const auto load = [](const double *from) { return _mm_loadu_pd(from); };
    const auto store = [](double *to, Lanes v) { _mm_storeu_pd(to, v); };
    const auto set = [](double x) { return _mm_set1_pd(x); };
    const auto add = [](Lanes a, Lanes b) { return _mm_add_pd(a, b); };
    const auto sub = [](Lanes a, Lanes b) { return _mm_sub_pd(a, b); };
    const auto mul = [](Lanes a, Lanes b) { return _mm_mul_pd(a, b); };
#endif
    constexpr int kLanes = sizeof(Lanes) / sizeof(double), kVectors = kChains / kLanes;
    const Lanes sc = set(step_cos_), ss = set(step_sin_);
    Lanes c[kVectors], s[kVectors];
    for (int v = 0; v < kVectors; ++v)
      c[v] = load(cos_ + kLanes * v), s[v] = load(sin_ + kLanes * v);
    for (int k = 0; k < rows; k += kChains) {
      for (int v = 0; v < kVectors; ++v) {
        store(sine + k + kLanes * v, s[v]);
        const Lanes turned = sub(mul(c[v], sc), mul(s[v], ss));
        s[v] = add(mul(s[v], sc), mul(c[v], ss));
        c[v] = turned;
      }
    }
    for (int v = 0; v < kVectors; ++v)
      store(cos_ + kLanes * v, c[v]), store(sin_ + kLanes * v, s[v]);
    // The chains wait in memory for the next block: kept in registers, they
    // took half of the 32-bit build's eight vector registers through the
    // decision and copy loops in between, which then ran short of them.
    WAVEFX_SPILL_TO_MEMORY(cos_, sin_);
#else
    for (int k = 0; k < rows; k += kChains) {
      for (int chain = 0; chain < kChains; ++chain) {
        sine[k + chain] = sin_[chain];
        const double turned = cos_[chain] * step_cos_ - sin_[chain] * step_sin_;
        sin_[chain] = sin_[chain] * step_cos_ + cos_[chain] * step_sin_;
        cos_[chain] = turned;
      }
    }
#endif
  }

  double frequency_;
  double phase_;
  double cos_[kChains];  // chain j holds the next row i with i % C == j
  double sin_[kChains];
  double step_cos_;
  double step_sin_;
  double row_ = 0.0;  // the next block's first row, a multiple of kChains

  // |x| by comparison: GCC's 32-bit build takes std::fabs through the x87
  // unit, a store and a reload each way.
  static double magnitude(double x) {
    return x < 0.0 ? -x : x;
  }
};

}  // namespace WAVEFX_ISA
}  // namespace wavefx

#endif  // WAVEFX_ROW_SINES_H
