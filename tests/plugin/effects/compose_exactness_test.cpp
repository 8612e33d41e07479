// The fast frame hook against the straightforward one, byte for byte, over
// millions of rows: random parameters, huge phases, and amplitudes chosen so
// that amplitude x sin lands within units in the last place of an integer,
// where the fast sines' error bound cannot decide and the correctly rounded
// sine must.
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "effects/cpu_features.h"
#include "effects/row_sines.h"
#include "support/plugin_test_support.h"
#include "support/reference_sine.h"
#include "support/straightforward_compose.h"

namespace {

using wavefx::WaveEffect;

// The largest continued-fraction denominator q <= limit of |s|: q * |s| is
// then nearer an integer than for any smaller q.
int32_t best_denominator(double s, double limit) {
  double x = std::fabs(s);
  int64_t q_previous = 1, q = 0;
  for (int step = 0; step < 64; ++step) {
    const double a = std::floor(x);
    const double next = static_cast<double>(q) * a + static_cast<double>(q_previous);
    if (next > limit) break;
    q_previous = q;
    q = static_cast<int64_t>(next);
    const double fraction = x - a;
    if (fraction < 1e-300) break;
    x = 1.0 / fraction;
  }
  return static_cast<int32_t>(q);
}

class ComposeExactnessTest : public PluginTest {
 protected:
  // Runs `frames` frames of the fast hook and of the straightforward one from
  // the same state and compares frames and phases. Returns rows compared.
  int64_t compare(const WaveEffect &r, const WaveEffect &d, int32_t width, int32_t height,
                  int frames) {
    host.resize(width, height);
    for (size_t i = 0; i < host.area(); ++i)
      host.background[i] = static_cast<uint8_t>(random() % 251 + 1);
    wavefx::ripple = r;
    wavefx::distortion = d;
    WaveEffect plain_ripple = r, plain_distortion = d;
    std::vector<uint8_t> expected(host.area());
    for (int f = 0; f < frames; ++f) {
      straightforward_compose(plain_ripple, plain_distortion, width, height, expected.data(),
                              host.background, reference_sine);
      host.frame();
      if (expected != host.frame_contents()) {
        ADD_FAILURE() << "frame " << f << " differs at " << width << "x" << height;
        return 0;
      }
      EXPECT_EQ(plain_ripple.phase, wavefx::ripple.phase);
      EXPECT_EQ(plain_distortion.phase, wavefx::distortion.phase);
    }
    return static_cast<int64_t>(frames) * height;
  }

  float any_float(float magnitude) {
    return std::uniform_real_distribution<float>(-magnitude, magnitude)(random);
  }

  WaveEffect random_effect() {
    const float scales[] = {0.01f, 0.3f, 3.0f, 100.0f, 1e5f, 2e7f};
    WaveEffect e{1, any_float(scales[random() % 6]), any_float(scales[random() % 6]), 0,
                 any_float(scales[random() % 6])};
    const int32_t amplitudes[] = {0,
                                  1,
                                  3,
                                  20,
                                  200,
                                  65536,
                                  std::numeric_limits<int32_t>::max(),
                                  std::numeric_limits<int32_t>::min()};
    e.amplitude =
        random() % 2 ? amplitudes[random() % 8] : static_cast<int32_t>(random() % 2001) - 1000;
    return e;
  }

  static WaveEffect off() { return wavefx::kEffectAtLoad; }

  std::mt19937 random{20261207};
};

TEST_F(ComposeExactnessTest, RowSineBoundsHoldAndStayTight) {
  double worst_ratio = 0;
  wavefx::RowSines::Block block;
  for (int trial = 0; trial < 400; ++trial) {
    WaveEffect e = random_effect();
    wavefx::RowSines sines(e);
    const int rows = 5000 + trial % 2;  // the last block odd in half the trials
    for (int32_t first = 0; first < rows; first += wavefx::RowSines::kBlock) {
      const int n = std::min(wavefx::RowSines::kBlock, rows - first);
      sines.next_block(n, block);
      for (int k = 0; k < n; ++k) {
        const int32_t i = first + k;
        const double angle = static_cast<double>(i) * e.frequency + static_cast<double>(e.phase);
        ASSERT_EQ(angle, sines.angle(i));
        const double error = std::fabs(block.sine[k] - reference_sine(angle));
        ASSERT_LE(error, block.bound) << "row " << i << " of trial " << trial;
        if (error > 0) worst_ratio = std::max(worst_ratio, error / block.bound);
      }
    }
  }
  // The bound is honest but not vacuous: for moderate angles it stays far
  // below what a truncation needs.
  wavefx::RowSines moderate(WaveEffect{1, 0.05f, 0.1f, 20, 3.0f});
  for (int first = 0; first < 1024; first += wavefx::RowSines::kBlock) {
    moderate.next_block(wavefx::RowSines::kBlock, block);
    EXPECT_LT(block.bound, 1e-11);
  }
  EXPECT_GT(worst_ratio, 0.0);
}

// The hook's row loops exist without vector instructions (the only ones on
// targets other than x86), for SSE2 and for AVX2: each test below runs all
// three (the AVX2 one where the processor has it).
enum class RowLoops { kPortable, kSse2, kAvx2 };

class ComposeVariantTest : public ComposeExactnessTest,
                           public ::testing::WithParamInterface<RowLoops> {
 protected:
  void SetUp() override {
    ComposeExactnessTest::SetUp();
    if (GetParam() == RowLoops::kAvx2 && !real_.avx2) GTEST_SKIP() << "no AVX2 on this processor";
    wavefx::override_cpu_features(
        wavefx::CpuFeatures{GetParam() == RowLoops::kAvx2, GetParam() != RowLoops::kPortable});
  }
  void TearDown() override {
    wavefx::override_cpu_features(real_);
    ComposeExactnessTest::TearDown();
  }

 private:
  const wavefx::CpuFeatures real_ = wavefx::cpu_features();
};

INSTANTIATE_TEST_SUITE_P(RowLoops, ComposeVariantTest,
                         ::testing::Values(RowLoops::kPortable, RowLoops::kSse2, RowLoops::kAvx2),
                         [](const ::testing::TestParamInfo<RowLoops> &param_info) {
                           switch (param_info.param) {
                             case RowLoops::kPortable:
                               return "Portable";
                             case RowLoops::kSse2:
                               return "Sse2";
                             default:
                               return "Avx2";
                           }
                         });

TEST_P(ComposeVariantTest, MatchesTheStraightforwardHookOnRandomParameters) {
  int64_t rows = 0;
  for (int trial = 0; trial < 300 && !HasFailure(); ++trial) {
    const bool ripple_on = random() % 2;
    const WaveEffect e = random_effect();
    const int32_t width = static_cast<int32_t>(random() % 5) + 1;
    rows += compare(ripple_on ? e : off(), ripple_on ? off() : e, width, 5000, 5);
  }
  // Widths on each side of the row copies' 8, 16 and 32-byte moves.
  for (auto [w, h] : {std::pair{320, 200},
                      {640, 480},
                      {7, 4000},
                      {8, 4000},
                      {1, 1},
                      {2, 3},
                      {12, 500},
                      {24, 300},
                      {40, 100}})
    rows += compare(random_effect(), off(), w, h, 3) + compare(off(), random_effect(), w, h, 3);
  EXPECT_GT(rows, 7'000'000);
}

TEST_P(ComposeVariantTest, LongRunsWithGrowingPhasesMatch) {
  int64_t rows = 0;
  for (float speed : {0.05f, 0.37f, 2.0f, 123.0f}) {
    rows += compare(WaveEffect{1, speed, 0.1f, 40, 0.0f}, off(), 3, 300, 4000);
    rows += compare(off(), WaveEffect{1, speed, 0.07f, 9, 5e4f}, 3, 300, 4000);
  }
  EXPECT_GT(rows, 9'000'000);
}

// Amplitudes from the continued fraction of sin(x_i) put amplitude x sin
// within units in the last place of an integer that lies inside the screen,
// so that the displacement sits right on a truncation boundary. The fast
// sines cannot decide such rows; the correctly rounded sine must, and the
// bytes must agree. The heights leave an odd number of rows in the last
// block, so its last row goes through the one-row tail after the vector
// steps: half the trials put the boundary there.
TEST_P(ComposeVariantTest, AmplitudesOnTruncationBoundariesMatch) {
  int64_t undecided = 0;
  const int trials = 2000;
  for (int trial = 0; trial < trials && !HasFailure(); ++trial) {
    const bool ripple_on = trial % 2;
    const int32_t width = ripple_on ? 1 : 1024, height = ripple_on ? 1023 : 63;
    WaveEffect e = random_effect();
    e.frequency = any_float(random() % 2 ? 1e-3f : 3.0f);
    const int32_t row = trial % 4 < 2 ? height - 1 : static_cast<int32_t>(random() % height);
    // An angle near a multiple of pi has a tiny sine, so a large amplitude
    // still gives a displacement inside the screen.
    const double turns = std::round(static_cast<double>(any_float(300.0f)));
    e.phase = static_cast<float>(turns * M_PI - row * static_cast<double>(e.frequency));
    wavefx::RowSines sines(e);
    wavefx::RowSines::Block block;
    for (int32_t first = 0; first <= row; first += wavefx::RowSines::kBlock)
      sines.next_block(wavefx::RowSines::kBlock, block);
    const double sine = reference_sine(sines.angle(row));
    // Displacements of up to a quarter of the screen keep the target inside.
    const double limit =
        std::min(2147483647.0, (ripple_on ? height : width) / 4.0 / std::fabs(sine));
    const int32_t q = best_denominator(sine, limit);
    const bool upward = ripple_on ? row < height / 2 : random() % 2;
    e.amplitude = (sine > 0) == upward ? q : -q;
    // How often the fast sines must defer to the correctly rounded sine.
    const double product = e.amplitude * sine;
    if (std::fabs(product - std::round(product)) <= std::fabs(e.amplitude) * block.bound)
      ++undecided;
    compare(ripple_on ? e : off(), ripple_on ? off() : e, width, height, 1);
  }
  // Most of these rows are beyond what the fast sines can decide.
  EXPECT_GT(undecided, trials / 2);
}

// Rows where the angle is exactly 0 have sine exactly 0: y is exactly the
// row number, the boundary itself.
TEST_P(ComposeVariantTest, RowsWithAZeroAngleMatch) {
  for (int32_t zero_row : {0, 1, 17, 99}) {
    for (float frequency : {0.25f, -0.5f, 1.0f, 0.125f}) {
      const float phase = -static_cast<float>(zero_row) * frequency;
      for (int32_t amplitude : {1, -1, 7, 1 << 30, std::numeric_limits<int32_t>::min()}) {
        compare(WaveEffect{1, 0.0f, frequency, amplitude, phase}, off(), 5, 100, 1);
        compare(off(), WaveEffect{1, 0.0f, frequency, amplitude, phase}, 5, 100, 1);
      }
    }
  }
}

}  // namespace
