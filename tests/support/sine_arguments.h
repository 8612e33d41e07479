// Arguments that exercise a sine: every binade, the neighbours of multiples
// of pi/2, hard cases to round, and the frame hook's own angles. Built with
// MPFR where a construction needs it (Linux builds).
#ifndef WAVEFX_TESTS_SINE_ARGUMENTS_H
#define WAVEFX_TESTS_SINE_ARGUMENTS_H

#include <cstdint>
#include <vector>

// `per_binade` random doubles of each sign in every binade from the
// subnormals to DBL_MAX, plus +-0, the extremes and the tiny-argument limits.
std::vector<double> binade_arguments(int per_binade, uint64_t seed);

// The doubles nearest multiples of pi/2 for every exponent: convergents of
// (pi/2) / 2^e from the continued fraction, numerators of 53 bits.
std::vector<double> near_half_pi_multiples();

// Angles as the frame hook forms them: fl(fl(i * frequency) + phase) with
// single-precision frequency and phase, rows up to 4000, frequencies up to
// 2^31 / 100. `large` picks frequencies of 10^4 and more.
std::vector<double> hook_angles(int count, bool large, uint64_t seed);

// Arguments whose sine (or cosine) lies within `closeness` units in the last
// place of a midpoint between doubles: x = n * 2^k constructions where x^3/6
// falls on half an ulp of x, and the best of `random_tries` random arguments.
struct HardCase {
  double x;
  bool cosine;
};
std::vector<HardCase> hard_cases(double closeness, int random_tries, uint64_t seed);

#endif  // WAVEFX_TESTS_SINE_ARGUMENTS_H
