// The plug-in's sine and cosine against MPFR, bit for bit: every binade,
// neighbours of multiples of pi/2, the hook's angles, hard cases to round,
// and each of the two evaluation paths on its own.
#include "effects/sine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "support/mpfr_oracle.h"
#include "support/sine_arguments.h"
#include "support/sine_expectations.h"

namespace {

using wavefx::sine_detail::Path;

#if defined(WAVEFX_SANITIZED_BUILD)
constexpr int kScale = 1;  // instrumented builds run about ten times slower
#else
constexpr int kScale = 8;
#endif

bool same_bits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Compares sine and cosine, alone and together, with MPFR on every
// argument; returns how many results differ and reports the first few.
int misrounded(const std::vector<double> &arguments) {
  int wrong = 0;
  for (double x : arguments) {
    const wavefx::SineAndCosine both = wavefx::sine_and_cosine(x);
    for (bool cosine : {false, true}) {
      const double want = cosine ? mpfr_cosine(x) : mpfr_sine(x);
      for (double got :
           {cosine ? wavefx::cosine(x) : wavefx::sine(x), cosine ? both.cosine : both.sine})
        if (!same_bits(got, want) && ++wrong <= 5)
          ADD_FAILURE() << (cosine ? "cos(" : "sin(") << std::hexfloat << x << ") = " << got
                        << ", MPFR " << want;
    }
  }
  return wrong;
}

TEST(SineTest, MatchesMpfrInEveryBinade) {
  const std::vector<double> arguments = binade_arguments(12 * kScale, 1);
  EXPECT_GT(arguments.size(), size_t{1'200'000} * kScale / 8);
  EXPECT_EQ(misrounded(arguments), 0);
}

TEST(SineTest, MatchesMpfrNextToMultiplesOfHalfPi) {
  const std::vector<double> arguments = near_half_pi_multiples();
  EXPECT_GT(arguments.size(), size_t{8'000});
  EXPECT_EQ(misrounded(arguments), 0);
}

TEST(SineTest, MatchesMpfrOnTheHooksAngles) {
  std::vector<double> arguments = hook_angles(50'000 * kScale, false, 2);
  const std::vector<double> large = hook_angles(50'000 * kScale, true, 3);
  arguments.insert(arguments.end(), large.begin(), large.end());
  EXPECT_EQ(misrounded(arguments), 0);
}

TEST(SineTest, NonFiniteArgumentsGiveNan) {
  for (double x : {INFINITY, -INFINITY, NAN, -NAN}) {
    EXPECT_TRUE(std::isnan(wavefx::sine(x))) << x;
    EXPECT_TRUE(std::isnan(wavefx::cosine(x))) << x;
  }
}

// Hard cases send the fast path to the accurate one. The checked-in
// expectations that both builds compare with (sine_expectations_test.cpp)
// must be MPFR's.
TEST(SineTest, ExpectationsAreMpfrsAndReachTheAccuratePath) {
  const std::vector<SineExpectation> expected = read_sine_expectations();
  ASSERT_GT(expected.size(), size_t{10'000});
  int accurate = 0, stale = 0;
  for (const SineExpectation &e : expected) {
    if ((!same_bits(e.sine, mpfr_sine(e.x)) || !same_bits(e.cosine, mpfr_cosine(e.x))) &&
        ++stale <= 5)
      ADD_FAILURE() << "stale expectation for " << std::hexfloat << e.x;
    Path path;
    wavefx::sine_detail::sine_by(e.x, path);
    accurate += path == Path::kAccurate;
  }
  EXPECT_EQ(stale, 0);
  EXPECT_GT(accurate, 100);
}

// The accurate path on its own, where the fast path would hide its faults.
TEST(SineTest, AccuratePathAloneMatchesMpfr) {
  std::vector<double> arguments;
  for (double x : binade_arguments(kScale / 4 + 1, 4))
    if (std::isfinite(x) && std::fabs(x) >= 0x1p-27) arguments.push_back(x);
  const std::vector<double> near = near_half_pi_multiples();
  arguments.insert(arguments.end(), near.begin(), near.end());
  int wrong = 0;
  for (double x : arguments) {
    for (int cosine : {0, 1}) {
      const double got = wavefx::sine_detail::accurate(x, cosine);
      const double want = cosine ? mpfr_cosine(x) : mpfr_sine(x);
      if (!same_bits(got, want) && ++wrong <= 5)
        ADD_FAILURE() << "accurate " << cosine << " at " << std::hexfloat << x << ": " << got
                      << ", MPFR " << want;
    }
  }
  EXPECT_EQ(wrong, 0);
}

// The fast path's error bound holds, and is not so loose that it would
// send many results to the accurate path for nothing.
TEST(SineTest, FastEstimateStaysWithinItsBound) {
  std::mt19937_64 random(5);
  double worst = 0;
  for (double limit : {1.0, 1e4, 1e9, 1e300}) {
    std::uniform_real_distribution<double> any(-limit, limit);
    for (int n = 0; n < 5'000 * kScale; ++n) {
      const double x = any(random);
      if (std::fabs(x) < 0x1p-27) continue;
      for (int cosine : {0, 1}) {
        const wavefx::sine_detail::FastEstimate e = wavefx::sine_detail::fast_estimate(x, cosine);
        const double ratio = mpfr_error_ratio(x, cosine, e.hi, e.lo, e.error);
        ASSERT_LE(ratio, 1.0) << std::hexfloat << x << " cosine " << cosine;
        worst = std::max(worst, ratio);
      }
    }
  }
  EXPECT_GT(worst, 1.0 / 64);
}

}  // namespace
