// The row sines' error bound, term by term, measured with MPFR on rows built
// to come near each term: every part of the measured error stays within its
// term and reaches half of it somewhere, so a bound with any term halved
// fails here.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "effects/row_sines.h"
#include "effects/wave_effect.h"
#include "support/mpfr_oracle.h"

namespace {

using wavefx::RowSines;
using wavefx::WaveEffect;

constexpr mpfr_prec_t kWide = 320;
constexpr double u = RowSines::kUnitRoundoff;
constexpr int kChains = RowSines::kChains;

// The largest measured share of each term of the bound.
struct Shares {
  double constants = 0;   // start and step constants' rounding, rotated exactly
  double arithmetic = 0;  // the rotations' own roundings
  double angle = 0;       // x_i against the exact phase + i * frequency
  double sine = 0;        // the correctly rounded sine against sin x_i
  double interval = 0;    // forming sine -/+ bound
};

// Runs `rows` rows of `effect` through RowSines and, for every `stride`-th
// row from `first_checked`, splits its error with MPFR: exact rotations of
// the rounded start and steps give the rotation's two parts. Fails the test
// where a part exceeds its term or the row exceeds its bound.
class BoundProbe {
 public:
  explicit BoundProbe(const WaveEffect &effect) : effect_(effect) {
    mpfr_inits2(kWide, theta_, exact_sin_, value_, t_, static_cast<mpfr_ptr>(nullptr));
    for (int chain = 0; chain < kChains; ++chain) mpfr_inits2(kWide, c_[chain], s_[chain], nullptr);
  }
  ~BoundProbe() {
    mpfr_clears(theta_, exact_sin_, value_, t_, static_cast<mpfr_ptr>(nullptr));
    for (int chain = 0; chain < kChains; ++chain) mpfr_clears(c_[chain], s_[chain], nullptr);
  }

  void run(int64_t rows, int stride, Shares &shares, int64_t first_checked = 0) {
    const double f = effect_.frequency, p = effect_.phase;
    // Exact rotations of the correctly rounded start and steps, as in RowSines.
    const double step[2] = {mpfr_cosine(f), mpfr_sine(f)};
    const double step_chains[2] = {mpfr_cosine(kChains * f), mpfr_sine(kChains * f)};
    mpfr_set_d(c_[0], mpfr_cosine(p), MPFR_RNDN);
    mpfr_set_d(s_[0], mpfr_sine(p), MPFR_RNDN);
    for (int chain = 1; chain < kChains; ++chain) rotate(c_[chain - 1], s_[chain - 1], step, chain);

    RowSines sines(effect_);
    RowSines::Block block;
    for (int64_t first = 0; first < rows; first += RowSines::kBlock) {
      const int n = static_cast<int>(std::min<int64_t>(RowSines::kBlock, rows - first));
      sines.next_block(n, block);
      for (int k = 0; k < n; ++k) {
        const int64_t i = first + k;
        if (i >= kChains) {
          const int chain = static_cast<int>(i % kChains);
          // Chain j holds row i - C; turn it to row i (only for checked
          // rows after a skip would this drift: keep every row's rotation).
          rotate(c_[chain], s_[chain], step_chains, chain);
        }
        if (i >= first_checked && (i - first_checked) % stride == 0)
          check(i, sines.angle(i), block.sine[k], block.bound, shares);
      }
    }
  }

 private:
  // (c, s) of `chain` becomes the exact rotation of (c_from, s_from) by `by`.
  void rotate(mpfr_t c_from, mpfr_t s_from, const double by[2], int chain) {
    mpfr_t c, s;
    mpfr_inits2(kWide, c, s, static_cast<mpfr_ptr>(nullptr));
    mpfr_mul_d(c, c_from, by[0], MPFR_RNDN);
    mpfr_mul_d(t_, s_from, by[1], MPFR_RNDN);
    mpfr_sub(c, c, t_, MPFR_RNDN);
    mpfr_mul_d(s, s_from, by[0], MPFR_RNDN);
    mpfr_mul_d(t_, c_from, by[1], MPFR_RNDN);
    mpfr_add(s, s, t_, MPFR_RNDN);
    mpfr_set(c_[chain], c, MPFR_RNDN);
    mpfr_set(s_[chain], s, MPFR_RNDN);
    mpfr_clears(c, s, static_cast<mpfr_ptr>(nullptr));
  }

  // |a - b| for an MPFR value a and a double b, as a double.
  double distance(mpfr_t a, double b) {
    mpfr_sub_d(t_, a, b, MPFR_RNDN);
    return std::fabs(mpfr_get_d(t_, MPFR_RNDN));
  }

  void check(int64_t i, double x, double estimate, double bound, Shares &shares) {
    const double f = effect_.frequency, p = effect_.phase;
    const double steps = static_cast<double>(i % kChains + i / kChains);
    const double product = static_cast<double>(i) * f;
    const double constants_term = (1 + steps) * RowSines::kStepConstantsError;
    const double arithmetic_term = steps * RowSines::kStepArithmeticError;
    const double angle_term =
        RowSines::kAngleRoundingCoefficient *
        (std::fabs(x) + (i >= RowSines::kFirstRoundedProductRow ? std::fabs(product) : 0.0));
    const int chain = static_cast<int>(i % kChains);

    mpfr_set_d(theta_, f, MPFR_RNDN);
    mpfr_mul_si(theta_, theta_, static_cast<long>(i), MPFR_RNDN);  // exact at 320 bits
    mpfr_add_d(theta_, theta_, p, MPFR_RNDN);
    mpfr_sin(exact_sin_, theta_, MPFR_RNDN);
    const double rounded_sine = mpfr_sine(x);

    // Rotation, constants part: exact rotations against sin theta_i.
    mpfr_sub(value_, s_[chain], exact_sin_, MPFR_RNDN);
    const double constants = std::fabs(mpfr_get_d(value_, MPFR_RNDN));
    // Rotation, arithmetic part: the estimate against the exact rotations.
    const double arithmetic = distance(s_[chain], estimate);
    // Angle: sin theta_i against sin x_i.
    mpfr_set_d(value_, x, MPFR_RNDN);
    mpfr_sin(value_, value_, MPFR_RNDN);
    mpfr_sub(t_, exact_sin_, value_, MPFR_RNDN);
    const double angle = std::fabs(mpfr_get_d(t_, MPFR_RNDN));
    // The sine's rounding: sine(x_i) against sin x_i.
    const double sine = distance(value_, rounded_sine);
    // The interval's ends as the decision forms them.
    mpfr_set_d(value_, estimate, MPFR_RNDN);
    mpfr_sub_d(value_, value_, bound, MPFR_RNDN);
    const double low_end = distance(value_, estimate - bound);
    mpfr_set_d(value_, estimate, MPFR_RNDN);
    mpfr_add_d(value_, value_, bound, MPFR_RNDN);
    const double interval = std::max(low_end, distance(value_, estimate + bound));

    ASSERT_LE(constants, constants_term) << "row " << i;
    ASSERT_LE(arithmetic, arithmetic_term) << "row " << i;
    ASSERT_LE(angle, angle_term) << "row " << i;
    ASSERT_LE(sine, RowSines::kRoundedSineError) << "row " << i;
    ASSERT_LE(interval, RowSines::kIntervalRounding) << "row " << i;
    ASSERT_LE(std::fabs(estimate - rounded_sine), bound) << "row " << i;
    // The decision's interval holds the correctly rounded sine.
    ASSERT_LE(estimate - bound, rounded_sine) << "row " << i;
    ASSERT_GE(estimate + bound, rounded_sine) << "row " << i;
    shares.constants = std::max(shares.constants, constants / constants_term);
    if (steps > 0) shares.arithmetic = std::max(shares.arithmetic, arithmetic / arithmetic_term);
    if (angle_term > 0) shares.angle = std::max(shares.angle, angle / angle_term);
    shares.sine = std::max(shares.sine, sine / RowSines::kRoundedSineError);
    shares.interval = std::max(shares.interval, interval / RowSines::kIntervalRounding);
  }

  WaveEffect effect_;
  mpfr_t theta_, exact_sin_, value_, t_;
  mpfr_t c_[kChains], s_[kChains];
};

// The float near `around` whose C f has the cosine farthest from a double:
// cos C f rounds by almost half an ulp at every step, in the same direction.
float frequency_with_worst_step_cosine(float around) {
  float best = around, f = around;
  double worst = 0;
  for (int n = 0; n < 4000; ++n, f = std::nextafter(f, 1.0f)) {
    const double got = mpfr_cosine(kChains * static_cast<double>(f));
    const double distance = mpfr_error_ratio(kChains * static_cast<double>(f), true, got, 0.0, u);
    if (distance > worst) worst = distance, best = f;
  }
  return best;
}

TEST(RowSinesBoundTest, EveryTermHoldsAndIsReachedOnConstructedRows) {
  Shares shares;
  // Slow rotations near the top of the circle: the step cosine's rounding
  // scales every step the same way, so the constants' part grows linearly.
  const float slow = frequency_with_worst_step_cosine(2.6e-9f);
  BoundProbe(WaveEffect{1, 0.0f, slow, 1, 1.5f}).run(40000, 97, shares);
  // Steps below half an ulp: sums round back to where they were, every step
  // the same, so the arithmetic part grows linearly.
  BoundProbe(WaveEffect{1, 0.0f, 1.7e-17f, 1, 0.7853982f}).run(40000, 97, shares);
  // Angles just above 2^30 where |cos| is near 1: x_i = fl(i f + p) rounds
  // by up to u |x_i|, all of it reaching the sine.
  float top = 0x1p30f, phase = top;
  for (int n = 0; n < 2000; ++n, top = std::nextafter(top, 2e9f))
    if (std::fabs(mpfr_cosine(top)) > std::fabs(mpfr_cosine(phase))) phase = top;
  BoundProbe(WaveEffect{1, 0.0f, 1e-6f, 1, phase}).run(4000, 1, shares);
  // Large angles of random effects.
  std::mt19937 random(11);
  for (int trial = 0; trial < 3; ++trial) {
    const float f = std::uniform_real_distribution<float>(1e3f, 3e7f)(random);
    const float p = std::uniform_real_distribution<float>(-1e9f, 1e9f)(random);
    BoundProbe(WaveEffect{1, 0.0f, f, 1, p}).run(4000, 1, shares);
  }
  // Row 1, one rotation from row 0, with both products and their sum
  // rounded by nearly their most, in one direction: phase + frequency near
  // pi/2 puts the products near 0.41 and 0.59 and their sum just below 1
  // (the largest such rounding among float phases in [0.4, 1.17), each with
  // the three float frequencies next to pi/2 - phase: 1.2494u).
  BoundProbe(WaveEffect{1, 0.0f, 0x1.c0e102p-1f, 1, 0x1.635e68p-1f}).run(2, 1, shares);
  // Near the top of the wave: sine + bound just above 1, rounded there.
  BoundProbe(WaveEffect{1, 0.0f, 1e-9f, 1, 1.5707964f}).run(4000, 1, shares);

  EXPECT_GE(shares.constants, 0.5);
  EXPECT_GE(shares.angle, 0.5);
  EXPECT_GE(shares.sine, 0.5);
  EXPECT_GE(shares.interval, 0.5);
  EXPECT_GE(shares.arithmetic, 0.5);
  std::printf("largest shares: constants %.3f arithmetic %.3f angle %.3f sine %.3f interval %.3f\n",
              shares.constants, shares.arithmetic, shares.angle, shares.sine, shares.interval);
}

}  // namespace
