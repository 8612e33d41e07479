// Correctly rounded sine and cosine.
//
// Fast path: x = k h + r with the step h = pi/512, k an integer and |r| <=
// h (1/2 + 2^-24); with a = k h, sin x = sin a cos r + cos a sin r, where
// sin a and cos a come from one table of sin(m h) over a full turn (m = k and
// k + 256 mod 1024; cos x = sin(x + 256 h) starts at k + 256). Negative x
// give negative k: no quadrants, no signs. r = head - tail, from a
// four-part Cody-Waite reduction for |x| < 2^20, else from the bits of 2/pi
// multiplied out in integers. The result R comes as hi + lo with an error
// bound computed alongside; where both ends of that interval round to the
// same double, that is the correctly rounded result (rounding is monotone).
//
// Accurate, for the rest (about one call in 15,000): the reduction and the
// Taylor series in 320-bit fixed point, absolute error below 2^-300, so the
// result, at least 2^-62 in magnitude (no double lies nearer than 2^-61 to a
// multiple of pi/2), is known to 2^-238 relative before its one rounding.
#include "sine.h"

#include <cstdint>
#include <cstring>

#include "compiler_hints.h"
#include "debug_assert.h"
#include "sine_constants.h"

namespace wavefx {

namespace {

using namespace sine_constants;

uint64_t bits_of(double x) {
  uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

double from_bits(uint64_t b) {
  double x;
  std::memcpy(&x, &b, sizeof x);
  return x;
}

// |x|, in the floating-point unit (an AND with a constant).
double magnitude(double x) {
#if defined(__GNUC__)
  return __builtin_fabs(x);
#else
  return x < 0 ? -x : x;
#endif
}

bool is_finite(double x) {
  return (bits_of(x) >> 52 & 0x7ff) != 0x7ff;
}

// ---- double-double arithmetic (values hi + lo, |lo| <= ulp(hi) / 2) ----

struct DoubleDouble {
  double hi;
  double lo;
};

// a + b exactly, as hi + lo, when |a| >= |b| or a == 0.
DoubleDouble fast_two_sum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

// a * b exactly, as hi + lo, by Dekker's splitting (no fused multiply-add).
DoubleDouble two_product(double a, double b) {
  const double ca = 134217729.0 * a, cb = 134217729.0 * b;
  const double a_hi = ca - (ca - a), a_lo = a - a_hi;
  const double b_hi = cb - (cb - b), b_lo = b - b_hi;
  const double p = a * b;
  return {p, ((a_hi * b_hi - p) + a_hi * b_lo + a_lo * b_hi) + a_lo * b_lo};
}

DoubleDouble multiply(DoubleDouble a, DoubleDouble b) {
  DoubleDouble p = two_product(a.hi, b.hi);
  p.lo = p.lo + (a.hi * b.lo + a.lo * b.hi);
  return fast_two_sum(p.hi, p.lo);
}

DoubleDouble negate(DoubleDouble a) {
  return {-a.hi, -a.lo};
}

// ---- reduction by the bits of 2/pi, in integers ----

// For finite ax = m * 2^e > 0 and y = ax * 2/pi * 2^kIndexBits: the integer
// part of y mod 2^(kIndexBits + 2) (the quadrant for kIndexBits 0) and the
// first kFractionWords words of its fraction, using kWindow words of 2/pi
// from where they start to matter (earlier words give multiples of 4 in ax *
// 2/pi). Dropped words of 2/pi cost less than 2^(86 - 32 kWindow +
// kIndexBits) in y, the fraction's truncation 2^(-32 kFractionWords); both
// make the fraction smaller.
template <int kWindow, int kFractionWords, int kIndexBits = 0>
int reduce_by_bits(double ax, uint32_t (&fraction)[kFractionWords]) {
  WAVEFX_ASSERT(ax > 0 && is_finite(ax));
  const uint64_t bits = bits_of(ax);
  const int biased = static_cast<int>(bits >> 52);
  const uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (biased ? uint64_t{1} << 52 : 0);
  const int e = (biased ? biased : 1) - 1075;
  const int first_word = e >= 2 ? (e - 2) / 32 : 0;
  const int shift = e - 32 * first_word;  // at most 33

  // product = m * window, little-endian words.
  constexpr int kProductWords = kWindow + 2;
  uint32_t product[kProductWords] = {};
  const uint64_t m_words[2] = {m & 0xffffffffu, m >> 32};
  for (int mw = 0; mw < 2; ++mw) {
    uint64_t carry = 0;
    for (int i = 0; i < kWindow; ++i) {
      const uint64_t w = kTwoOverPiWords[first_word + kWindow - 1 - i];
      const uint64_t v = w * m_words[mw] + product[i + mw] + carry;
      product[i + mw] = static_cast<uint32_t>(v);
      carry = v >> 32;
    }
    product[kWindow + mw] = static_cast<uint32_t>(carry);
  }

  // ax * 2/pi = product * 2^(shift - 32 kWindow) (mod 4): bit `point` of the
  // product is the units bit.
  const int point = 32 * kWindow - shift;
  auto bits_at = [&product](int position) -> uint32_t {  // bits position .. position + 31
    const int word = position >= 0 ? position / 32 : -((31 - position) / 32);
    const int offset = position - 32 * word;
    auto at = [&product](int i) -> uint64_t {
      return i >= 0 && i < kProductWords ? product[i] : 0;
    };
    return static_cast<uint32_t>((at(word) | at(word + 1) << 32) >> offset);
  };
  const int units = point - kIndexBits;
  for (int k = 0; k < kFractionWords; ++k) fraction[k] = bits_at(units - 32 * (k + 1));
  return static_cast<int>(bits_at(units) & ((4u << kIndexBits) - 1));
}

// Rounds n + fraction to the nearest integer, n mod (mask + 1): a fraction of
// 1/2 or more becomes its complement to 1 with the next n. Returns whether
// the fraction left is negative.
template <int kFractionWords>
bool round_to_nearest(int &n, uint32_t (&fraction)[kFractionWords], int mask) {
  if (!(fraction[0] >> 31)) return false;
  uint64_t borrow = 0;
  for (int k = kFractionWords - 1; k >= 0; --k) {
    const uint64_t v = 0 - uint64_t{fraction[k]} - borrow;
    fraction[k] = static_cast<uint32_t>(v);
    borrow = v >> 63;
  }
  n = (n + 1) & mask;
  return true;
}

// ---- fast path ----

struct Reduced {
  uint32_t k;   // x = k h + r (mod 1024 h, a full turn)
  double head;  // r = head - tail + an error in the bound's absolute term
  double tail;  // |tail| <= 2^-34.3
};

constexpr double kRoundingShift = 0x1.8p52;  // x + kRoundingShift - kRoundingShift rounds x

// |x| < 2^20, so |k| < 2^27.4 and k times each 25-bit part of h is exact.
// head = x - k h0 - k h1 is exact: x - k h0 for k = +-1 by Sterbenz's lemma,
// else because it is below |x| and k h0 is a multiple of 2^-32, hence of
// ulp(x); then both terms are multiples of 2^-61 (|x| > 2^-9, h1 has its
// last bit at 2^-58) and the difference is below 2^-8. tail = k h2 + k h3
// (at most 2^-34.5) rounds once, by under 2^-87.5; the parts miss h by
// 2^-142 per unit of k, 2^-114.6 in all.
WAVEFX_ALWAYS_INLINE Reduced reduce_cody_waite(double x) {
  WAVEFX_ASSERT(magnitude(x) < 0x1p20);
  const double shifted = x * kStepsPerUnit + kRoundingShift;
  const double k = shifted - kRoundingShift;
  const double head = (x - k * kStepParts[0]) - k * kStepParts[1];
  return {static_cast<uint32_t>(bits_of(shifted)), head, k * kStepParts[2] + k * kStepParts[3]};
}

// w exactly as a double, by its bits (no unsigned conversion, which uses
// the x87 unit on 32-bit x86).
double word_value(uint32_t w) {
  return from_bits(uint64_t{0x43300000} << 32 | w) - 0x1p52;
}

// Finite |x| >= 2^20: the index and eight more bits of |x| * 512/pi from six
// words of 2/pi, then three words of fraction, off by less than 2^-95.9
// steps (2^-98 from the window, 2^-96 truncated), so 2^-103.3 in r. The
// first two words add exactly (fast_two_sum: the first is larger or 0), the
// third rounds into the low part by under 2^-117, and the product by h adds
// under 2^-104 |r|.
WAVEFX_NEVER_INLINE Reduced reduce_large(double x) {
  uint32_t fraction[3];
  int k = reduce_by_bits<6, 3, 8>(magnitude(x), fraction);
  const bool negative = round_to_nearest(k, fraction, kTableSize - 1);
  const DoubleDouble top =
      fast_two_sum(word_value(fraction[0]) * 0x1p-32, word_value(fraction[1]) * 0x1p-64);
  const DoubleDouble f = {top.hi, top.lo + word_value(fraction[2]) * 0x1p-96};
  DoubleDouble r = multiply(f, {kStepHi, kStepLo});
  if (negative != (x < 0)) r = negate(r);
  return {static_cast<uint32_t>(x < 0 ? -k : k), r.hi, -r.lo};
}

// Bounds of the estimate's error, from the analysis in estimate().
constexpr double kRelativeBound = 0x1.6p-69;    // times |hi|
constexpr double kCorrectionBound = 0x1.6p-51;  // times |P r^2| as computed
constexpr double kAbsoluteBound = 0x1p-85;      // the reduction's tail

struct Estimate {
  double hi;
  double lo;     // small beside hi, not normalised
  double error;  // |hi + lo - R| <= error, with room for the rounding test
};

// R = sin(x + kShift h) = P + Q r + P (cos r - 1) + Q (sin r - r) with P =
// sin a, Q = cos a. With u = 2^-53, rho = h (1/2 + 2^-24) = 2^-8.35 >= |r|:
// - |P| <= 2 |R| (at worst a = h, r = -h/2) and |Q r| <= (1 + 2^-14) |R|.
// - The table holds P and Q as 26-bit hi plus lo (lo off by 2^-79 |P|, so
//   2^-78 |R|). Q r = Q.hi head + Q.lo head - Q tail: Q.hi head is exact as
//   Q.hi times the two 26-bit halves of head; P.hi + Q.hi head_top is exact
//   (fast_two_sum: |P.hi| >= sin h > |Q head| unless P.hi = 0). Q.lo head
//   and the sums of the linear terms round by under 2^-75.5 |R|; Q tail,
//   with tail's own rounding, is off by under 2^-86 (absolute).
// - The series, in the double r' = head - tail (u |r| + 2^-86 off), drop
//   less than 2^-81 |R|. P (cos r - 1) is computed to 7u of |P| r^2 / 2 (P
//   rounded, r' to 2u, r'^2, P r'^2, the sum in the bracket, the product),
//   so to 3.51u |P r'^2|; Q (sin r - r), at most 2^-19.28 |Q r|, to 9u of
//   itself: 2^-69.11 |R|.
// - Adding the two terms, adding them to lo, and forming lo +- error in the
//   rounding test round by 0.51u |P r'^2| + 2^-72.2 |R| each.
// Together under 5.04u |P r'^2| + 2^-68.66 |R| + 2^-85.5 (with the large
// reduction's 2^-103.3), bounded by the three constants above (rounded up,
// their own evaluation rounding under 2^-50 of them). The terms are grouped
// so that the series, the longest chain, come last.
template <uint32_t kShift>
WAVEFX_ALWAYS_INLINE Estimate estimate(const Reduced &r) {
  WAVEFX_ASSERT(magnitude(r.head) < 0x1p-8 && magnitude(r.tail) < 0x1p-34);
  const double *p = kSinTable[(r.k + kShift) & (kTableSize - 1)];
  const double *q = kSinTable[(r.k + kShift + kStepsPerPi / 2) & (kTableSize - 1)];
  // head split into two halves of at most 26 bits (Veltkamp).
  const double head_scaled = 134217729.0 * r.head;
  const double head_top = head_scaled - (head_scaled - r.head);
  const double head_rest = r.head - head_top;
  const DoubleDouble sum = fast_two_sum(p[0], q[0] * head_top);
  const double p_d = p[0] + p[1], q_d = q[0] + q[1];
  const double linear = sum.lo + (q[0] * head_rest + (p[1] + (q[1] * r.head - q_d * r.tail)));
  const double r_d = r.head - r.tail;
  const double r2 = r_d * r_d;
  const double p_r2 = p_d * r2;
  const double q_r3 = (q_d * r_d) * r2;
  const double cosine_part = p_r2 * (kCos2 + r2 * (kCos4 + r2 * kCos6));
  const double sine_part = q_r3 * (kSin3 + r2 * (kSin5 + r2 * kSin7));
  const double error =
      kRelativeBound * magnitude(sum.hi) + kCorrectionBound * magnitude(p_r2) + kAbsoluteBound;
  return {sum.hi, linear + (cosine_part + sine_part), error};
}

// ---- accurate path: fixed point, word 0 the integer part, word i of weight
// 2^(-32 i) ----

constexpr int kFixedFraction = 10;
struct Fixed {
  uint32_t w[kFixedFraction + 1];
};

bool is_zero(const Fixed &a) {
  for (uint32_t word : a.w)
    if (word) return false;
  return true;
}

// a * b truncated to the format (the product stays below 2^32).
Fixed times(const Fixed &a, const Fixed &b) {
  constexpr int n = kFixedFraction + 1;
  // columns[c] collects the parts of weight 2^(-32 (c - 1)); column 0, above
  // the integer word, stays 0 for products below 2^32.
  uint64_t columns[2 * n + 1] = {};
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const uint64_t p = uint64_t{a.w[i]} * b.w[j];
      columns[i + j + 1] += p & 0xffffffffu;
      columns[i + j] += p >> 32;
    }
  }
  Fixed out{};
  uint64_t carry = 0;
  for (int c = 2 * n; c >= 1; --c) {
    const uint64_t v = columns[c] + carry;
    if (c - 1 <= kFixedFraction) out.w[c - 1] = static_cast<uint32_t>(v);
    carry = v >> 32;
  }
  WAVEFX_ASSERT(columns[0] == 0 && carry == 0);
  return out;
}

Fixed divided(const Fixed &a, uint32_t d) {
  Fixed out{};
  uint64_t remainder = 0;
  for (int i = 0; i <= kFixedFraction; ++i) {
    const uint64_t v = remainder << 32 | a.w[i];
    out.w[i] = static_cast<uint32_t>(v / d);
    remainder = v % d;
  }
  return out;
}

void add_to(Fixed &a, const Fixed &b, bool subtract) {
  uint64_t carry = 0;
  for (int i = kFixedFraction; i >= 0; --i) {
    const uint64_t v =
        subtract ? uint64_t{a.w[i]} - b.w[i] - carry : uint64_t{a.w[i]} + b.w[i] + carry;
    a.w[i] = static_cast<uint32_t>(v);
    carry = subtract ? v >> 63 : v >> 32;
  }
}

// sin t or cos t for 0 <= t <= pi/4 by its Taylor series; every term is
// smaller than the one before, so partial sums stay in [0, 1].
Fixed fixed_sin_or_cos(const Fixed &t, bool cosine_of) {
  WAVEFX_ASSERT(t.w[0] == 0 && t.w[1] <= 0xc90fdaa2u);  // pi/4 = 0.c90fdaa22... (hex)
  const Fixed t2 = times(t, t);
  Fixed term{};
  if (cosine_of) {
    term.w[0] = 1;
  } else {
    term = t;
  }
  Fixed sum = term;
  for (uint32_t n = cosine_of ? 2 : 3; !is_zero(term); n += 2) {
    term = divided(times(term, t2), n * (n - 1));
    add_to(sum, term, (n / 2) % 2 == 1);
  }
  return sum;
}

// The fixed-point value (in (0, 1], at least 2^-64) rounded to nearest double.
double to_double(const Fixed &a) {
  int first = 0;
  while (first <= kFixedFraction && a.w[first] == 0) ++first;
  WAVEFX_ASSERT(first <= 2);
  if (first > kFixedFraction) return 0.0;
  auto word = [&a](int i) -> uint64_t { return i <= kFixedFraction ? a.w[i] : 0; };
  int leading = 0;
  while (!(a.w[first] >> (31 - leading) & 1)) ++leading;
  uint64_t top = (word(first) << 32 | word(first + 1)) << leading;
  if (leading) top |= word(first + 2) >> (32 - leading);
  bool sticky = leading && (word(first + 2) << (32 + leading) >> 32) != 0;
  for (int i = first + 3; i <= kFixedFraction; ++i) sticky = sticky || a.w[i] != 0;
  uint64_t mantissa = top >> 11;
  const uint64_t rest = top & 0x7ff;
  int exponent = 31 - leading - 32 * first;  // of the leading bit
  if (rest > 0x400 || (rest == 0x400 && (sticky || (mantissa & 1)))) ++mantissa;
  if (mantissa >> 53) mantissa >>= 1, ++exponent;
  return from_bits(static_cast<uint64_t>(exponent + 1023) << 52 |
                   (mantissa & ((uint64_t{1} << 52) - 1)));
}

WAVEFX_NEVER_INLINE double accurate_of_magnitude(double ax, int cosine_shift) {
  uint32_t fraction[kFixedFraction];
  int quadrant = reduce_by_bits<12>(ax, fraction);
  const bool negative = round_to_nearest(quadrant, fraction, 3);
  Fixed f{};
  for (int k = 0; k < kFixedFraction; ++k) f.w[k + 1] = fraction[k];
  Fixed half_pi{};
  half_pi.w[0] = 1;
  for (int k = 0; k < kFixedFraction; ++k) half_pi.w[k + 1] = kHalfPiFraction[k];
  const Fixed t = times(f, half_pi);
  const int which = (quadrant + cosine_shift) & 3;  // sin, cos, -sin, -cos of r
  double value = to_double(fixed_sin_or_cos(t, which & 1));
  if (negative && !(which & 1)) value = -value;  // sin(-t) = -sin t
  return which >= 2 ? -value : value;
}

WAVEFX_NEVER_INLINE double accurate_signed(double x, int cosine_shift) {
  WAVEFX_ASSERT(is_finite(x) && magnitude(x) >= 0x1p-27);
  const double value = accurate_of_magnitude(magnitude(x), cosine_shift);
  return x < 0 && cosine_shift == 0 ? -value : value;
}

using sine_detail::Path;

// Finite |x| >= 2^-27: the estimate where it decides the rounding, else the
// accurate path. The true value lies in [hi + lo - error, hi + lo + error],
// and rounding to nearest is monotone. `path` (may be null) tells which.
template <uint32_t kShift>
WAVEFX_ALWAYS_INLINE double decide(double x, const Reduced &reduced, Path *path) {
  const Estimate e = estimate<kShift>(reduced);
  const double below = e.hi + (e.lo - e.error);
  const double above = e.hi + (e.lo + e.error);
  if (below == above) {
    if (path) *path = Path::kFast;
    return above;
  }
  if (path) *path = Path::kAccurate;
  return accurate_signed(x, kShift != 0);
}

// Out of line, so that the common path needs no stack frame.
template <uint32_t kShift>
WAVEFX_NEVER_INLINE double large_or_special(double x, Path *path) {
  if (path) *path = Path::kSpecial;
  if (!is_finite(x)) return x - x;
  return decide<kShift>(x, reduce_large(x), path);
}

// sin x (kShift 0) or cos x (kShift 256 steps, pi/2).
template <uint32_t kShift>
WAVEFX_ALWAYS_INLINE double sine_or_cosine(double x, Path *path) {
  const double ax = magnitude(x);
  if (!(ax < 0x1p20)) return large_or_special<kShift>(x, path);
  // |sin x - x| < |x|^3 / 6 < 2^-54 |x|: x itself is the nearest double;
  // 1 - cos x < x^2 / 2 < 2^-55: 1 is.
  if (kShift == 0 && ax < 0x1p-26) {
    if (path) *path = Path::kSpecial;
    return x;
  }
  if (kShift != 0 && ax < 0x1p-27) return 1.0;
  return decide<kShift>(x, reduce_cody_waite(x), path);
}

constexpr uint32_t kCosineShift = kStepsPerPi / 2;

}  // namespace

namespace sine_detail {

double sine_by(double x, Path &path) {
  return sine_or_cosine<0>(x, &path);
}

FastEstimate fast_estimate(double x, int cosine_shift) {
  WAVEFX_ASSERT(is_finite(x) && magnitude(x) >= 0x1p-27);
  const Reduced reduced = magnitude(x) < 0x1p20 ? reduce_cody_waite(x) : reduce_large(x);
  const Estimate e = cosine_shift ? estimate<kCosineShift>(reduced) : estimate<0>(reduced);
  return {e.hi, e.lo, e.error};
}

double accurate(double x, int cosine_shift) {
  return accurate_signed(x, cosine_shift);
}

}  // namespace sine_detail

double sine(double x) {
  return sine_or_cosine<0>(x, nullptr);
}

double cosine(double x) {
  return sine_or_cosine<kCosineShift>(x, nullptr);
}

SineAndCosine sine_and_cosine(double x) {
  const double ax = magnitude(x);
  if (!(ax < 0x1p20) || ax < 0x1p-26) return {sine(x), cosine(x)};
  // One reduction, then the two estimates side by side: independent chains
  // that the processor overlaps.
  const Reduced reduced = reduce_cody_waite(x);
  return {decide<0>(x, reduced, nullptr), decide<kCosineShift>(x, reduced, nullptr)};
}

}  // namespace wavefx
