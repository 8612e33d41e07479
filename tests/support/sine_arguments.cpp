#include "support/sine_arguments.h"

#include <mpfr.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>

#include "support/mpfr_oracle.h"
#include "support/sine_expectations.h"

std::vector<double> binade_arguments(int per_binade, uint64_t seed) {
  std::mt19937_64 random(seed);
  std::vector<double> out = {0.0,
                             -0.0,
                             DBL_MAX,
                             -DBL_MAX,
                             DBL_MIN,
                             -DBL_MIN,
                             DBL_TRUE_MIN,
                             -DBL_TRUE_MIN,
                             0x1p-26,
                             0x1p-27,
                             std::nextafter(0x1p-26, 0.0),
                             std::nextafter(0x1p-27, 0.0)};
  // Exponent fields 0 (subnormals) to 2046; the range 2^-30 .. 2^60, where
  // the hook's angles lie, gets 128 times as many.
  for (uint64_t field = 0; field <= 2046; ++field) {
    const bool dense = field >= 1023 - 30 && field <= 1023 + 60;
    const int count = dense ? 128 * per_binade : per_binade;
    for (int n = 0; n < count; ++n) {
      const uint64_t bits = (random() & (uint64_t{1} << 63)) | field << 52 | random() >> 12;
      out.push_back(from_bits(bits));
    }
  }
  return out;
}

std::vector<double> near_half_pi_multiples() {
  constexpr mpfr_prec_t kPrecision = 3000;
  std::vector<double> out;
  mpfr_t beta, one;
  mpfr_inits2(kPrecision, beta, one, static_cast<mpfr_ptr>(nullptr));
  // x = m * 2^e near k * pi/2 means k / m near beta = 2^(e + 1) / pi: the
  // denominators of beta's convergents and semiconvergents are the m.
  for (int e = -53; e <= 971; ++e) {
    mpfr_const_pi(beta, MPFR_RNDN);
    mpfr_ui_div(beta, 1, beta, MPFR_RNDN);
    mpfr_mul_2si(beta, beta, e + 1, MPFR_RNDN);
    mpfr_frac(beta, beta, MPFR_RNDN);
    uint64_t q_before = 0, q = 1;  // q_{-1}, q_0
    for (int step = 0; step < 120 && !mpfr_zero_p(beta); ++step) {
      mpfr_ui_div(beta, 1, beta, MPFR_RNDN);
      const double a = mpfr_get_d(beta, MPFR_RNDZ);
      mpfr_frac(beta, beta, MPFR_RNDN);
      const uint64_t limit = uint64_t{1} << 53;
      // The semiconvergents t q + q_before for t = 1 .. a, keeping the
      // three largest with 53-bit m.
      const double biggest_t = std::floor(static_cast<double>(limit - 1 - q_before) / q);
      const double top_t = std::fmin(a, biggest_t);
      for (double t = top_t; t >= 1 && t > top_t - 3; --t) {
        const uint64_t m = static_cast<uint64_t>(t) * q + q_before;
        if (m >= limit / 2) out.push_back(std::ldexp(static_cast<double>(m), e));
      }
      if (a > biggest_t) break;
      const uint64_t next = static_cast<uint64_t>(a) * q + q_before;
      q_before = q;
      q = next;
    }
  }
  mpfr_clears(beta, one, static_cast<mpfr_ptr>(nullptr));
  const size_t found = out.size();
  for (size_t i = 0; i < found; ++i) {
    out.push_back(std::nextafter(out[i], 0.0));
    out.push_back(std::nextafter(out[i], DBL_MAX));
    out.push_back(-out[i]);
  }
  return out;
}

std::vector<double> hook_angles(int count, bool large, uint64_t seed) {
  std::mt19937_64 random(seed);
  std::vector<double> out;
  const float frequency_limit = large ? 2147483647.0f / 100 : 30.0f;
  const float phase_limit = large ? 1e9f : 1e4f;
  std::uniform_real_distribution<float> frequency(-frequency_limit, frequency_limit);
  std::uniform_real_distribution<float> phase(-phase_limit, phase_limit);
  for (int n = 0; n < count; ++n) {
    // Rows of ordinary screens, and now and then of a very tall one.
    const int64_t row = n % 16 ? static_cast<int64_t>(random() % 4000)
                               : static_cast<int64_t>(random() % (uint64_t{1} << 31));
    float f = frequency(random);
    if (large && std::fabs(f) < 1e4f) f = std::copysign(1e4f, f);
    const double product = static_cast<double>(row) * static_cast<double>(f);
    out.push_back(product + static_cast<double>(phase(random)));
  }
  return out;
}

std::vector<HardCase> hard_cases(double closeness, int random_tries, uint64_t seed) {
  std::vector<HardCase> out;
  // sin x = x - x^3/6 + x^5/120 - ...: where x^3/6 is an odd multiple of
  // half an ulp of x, sin x lies about x^5/120 from a midpoint.
  for (int k = -40; k <= -8; ++k) {
    for (int n = 1; n < 4096; n += 2) {
      const double x = std::ldexp(n, k);
      if (x < 0x1p-26 || x > 0x1p-5) continue;
      if (mpfr_distance_to_midpoint(x, false) < closeness) out.push_back({x, false});
    }
  }
  std::mt19937_64 random(seed);
  for (int n = 0; n < random_tries; ++n) {
    const uint64_t field = 1023 - 26 + random() % (60 + 26);
    const double x = from_bits(field << 52 | random() >> 12);
    for (bool cosine : {false, true})
      if (mpfr_distance_to_midpoint(x, cosine) < closeness) out.push_back({x, cosine});
  }
  return out;
}
