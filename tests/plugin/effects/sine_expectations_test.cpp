// The plug-in's sine and cosine, alone and together, against results
// computed by MPFR on Linux and checked in, so that the Windows build under
// Wine is held to the same bits: hard cases to round, neighbours of
// multiples of pi/2, every binade, the hook's angles.
#include "support/sine_expectations.h"

#include <gtest/gtest.h>

#include <cstring>

#include "effects/sine.h"

namespace {

bool same_bits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(SineExpectationsTest, SineAndCosineMatchMpfrResults) {
  const std::vector<SineExpectation> expected = read_sine_expectations();
  ASSERT_GT(expected.size(), size_t{10'000});
  int wrong = 0;
  for (const SineExpectation &e : expected) {
    const wavefx::SineAndCosine both = wavefx::sine_and_cosine(e.x);
    const double s = wavefx::sine(e.x), c = wavefx::cosine(e.x);
    if ((!same_bits(s, e.sine) || !same_bits(c, e.cosine) || !same_bits(both.sine, e.sine) ||
         !same_bits(both.cosine, e.cosine)) &&
        ++wrong <= 5)
      ADD_FAILURE() << std::hexfloat << "x " << e.x << ": sin " << s << " (MPFR " << e.sine
                    << "), cos " << c << " (MPFR " << e.cosine << "), both " << both.sine << " "
                    << both.cosine;
  }
  EXPECT_EQ(wrong, 0);
}

}  // namespace
