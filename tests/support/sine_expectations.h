// The checked-in table of sine and cosine results computed by MPFR
// (tests/data/sine_expected.txt), read by the suites of both builds.
#ifndef WAVEFX_TESTS_SINE_EXPECTATIONS_H
#define WAVEFX_TESTS_SINE_EXPECTATIONS_H

#include <cstdint>
#include <cstring>
#include <vector>

// The double whose IEEE 754 bit pattern is `bits`.
inline double from_bits(uint64_t bits) {
  double x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

struct SineExpectation {
  double x;
  double sine;
  double cosine;
};

// Every line "x sin cos" as 16-digit hex bit patterns; '#' starts a comment.
// Fails the calling test (empty result) when the file cannot be read.
std::vector<SineExpectation> read_sine_expectations();

#endif  // WAVEFX_TESTS_SINE_EXPECTATIONS_H
