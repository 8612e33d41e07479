// Correctly rounded sine and cosine.
//
// |x| is reduced to x = (q + f) * pi/2 with q an integer and |f| <= 1/2, and
// the result is +-sin or +-cos of r = f * pi/2 by q mod 4. Two evaluations:
//
// Fast: r as a double-double with a known absolute error (Cody-Waite with a
// four-part pi/2 for |x| < 2^20, else the bits of 2/pi multiplied out in
// integers), then sin or cos of r from a table at a = j/256 and Taylor
// series in b = r - a, |b| <= 2^-9, giving a double-double R. Its error is
// below 2^-68 |R| from the evaluation plus the reduction's absolute error;
// where sin or cos rounds the same at both ends of that interval, that is
// the correctly rounded result (rounding is monotone).
//
// Accurate, for the rest (about one call in 10^4): the reduction and the
// Taylor series in 320-bit fixed point, absolute error below 2^-300, so the
// result, at least 2^-62 in magnitude (no double lies nearer than 2^-61 to a
// multiple of pi/2), is known to 2^-238 relative before its one rounding.
#include "sine.h"

#include <cstdint>
#include <cstring>

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

double magnitude(double x) {
  return from_bits(bits_of(x) & ~(uint64_t{1} << 63));
}

bool is_finite(double x) {
  return (bits_of(x) >> 52 & 0x7ff) != 0x7ff;
}

// ---- double-double arithmetic (values hi + lo, |lo| <= ulp(hi) / 2) ----

struct DoubleDouble {
  double hi;
  double lo;
};

// a + b exactly, as hi + lo.
DoubleDouble two_sum(double a, double b) {
  const double s = a + b;
  const double b_part = s - a;
  return {s, (a - (s - b_part)) + (b - b_part)};
}

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

DoubleDouble add(DoubleDouble a, double b) {
  DoubleDouble s = two_sum(a.hi, b);
  s.lo = s.lo + a.lo;
  return fast_two_sum(s.hi, s.lo);
}

DoubleDouble negate(DoubleDouble a) {
  return {-a.hi, -a.lo};
}

// ---- reduction by the bits of 2/pi, in integers ----

// For finite ax = m * 2^e > 0: the quadrant (mod 4) and the first
// kFractionWords words of the fraction of ax * 2/pi, using kWindow words of
// 2/pi from where they start to matter (earlier words give multiples of 4).
// Dropped words of 2/pi cost less than 2^(86 - 32 kWindow), the fraction's
// truncation 2^(-32 kFractionWords); both make the fraction smaller.
template <int kWindow, int kFractionWords>
int reduce_by_bits(double ax, uint32_t (&fraction)[kFractionWords]) {
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
  for (int k = 0; k < kFractionWords; ++k) fraction[k] = bits_at(point - 32 * (k + 1));
  return static_cast<int>(bits_at(point) & 3);
}

// Rounds q + fraction to the nearest quadrant: a fraction of 1/2 or more
// becomes its complement to 1 with the next quadrant. Returns whether f < 0.
template <int kFractionWords>
bool round_quadrant(int &quadrant, uint32_t (&fraction)[kFractionWords]) {
  if (!(fraction[0] >> 31)) return false;
  uint64_t borrow = 0;
  for (int k = kFractionWords - 1; k >= 0; --k) {
    const uint64_t v = 0 - uint64_t{fraction[k]} - borrow;
    fraction[k] = static_cast<uint32_t>(v);
    borrow = v >> 63;
  }
  quadrant = (quadrant + 1) & 3;
  return true;
}

// ---- fast path ----

struct Reduced {
  int quadrant;    // |x| = quadrant * pi/2 + r (mod 2 pi)
  DoubleDouble r;  // |r| <= pi/4 (a hair more after Cody-Waite)
  double error;    // bound on |r - (|x| - quadrant * pi/2 mod 2 pi)|
};

// |x| < 2^20: k < 2^20 and each of the first three parts of pi/2 has 33
// bits, so k * part is exact; ax - k * part0 is exact (both are multiples of
// ulp(ax), the result is below 1). Two exact sums, then two roundings below
// 2^-106 each and k * part3 off by 2^-150; the parts miss pi/2 by 2^-150
// per unit of k. r.lo is left unnormalised (|r.lo| < 2^-51).
Reduced reduce_cody_waite(double ax) {
  const double k = (ax * kTwoOverPi + 0x1.8p52) - 0x1.8p52;
  const double t = ax - k * kHalfPiParts[0];
  const DoubleDouble s1 = two_sum(t, -(k * kHalfPiParts[1]));
  const DoubleDouble s2 = two_sum(s1.hi, -(k * kHalfPiParts[2]));
  const double low = (s1.lo + s2.lo) - k * kHalfPiParts[3];
  return {static_cast<int>(static_cast<int64_t>(k) & 3), {s2.hi, low}, 0x1p-103};
}

// Larger |x|: six words of 2/pi give the fraction to within 2^-106 +
// 2^-160; the sum of its five exact word terms and the product by pi/2 add
// under 2^-103 |r|.
#if defined(__GNUC__)
__attribute__((noinline))
#endif
Reduced
reduce_large(double ax) {
  uint32_t fraction[5];
  int quadrant = reduce_by_bits<6>(ax, fraction);
  const bool negative = round_quadrant(quadrant, fraction);
  DoubleDouble f = {0.0, 0.0};
  double scale = 0x1p-160;
  for (int k = 4; k >= 0; --k, scale *= 0x1p32)
    f = add(f, static_cast<double>(fraction[k]) * scale);
  DoubleDouble r = multiply(f, {kHalfPiHi, kHalfPiLo});
  return {quadrant, negative ? negate(r) : r, 0x1p-101};
}

Reduced reduce_fast(double ax) {
  if (ax <= kQuarterPiBelow) return {0, {ax, 0.0}, 0.0};
  if (ax < 0x1p20) return reduce_cody_waite(ax);
  return reduce_large(ax);
}

// sin or cos of |x| as value.hi + value.lo, |x| >= 2^-27 finite, with
// |value - true| <= error. From the table entry a = j/256 nearest |r| and
// b = |r| - a (|b| <= 2^-9):
//   sin(a + b) = sin a + cos a * b + (sin a (cos b - 1) + cos a (sin b - b))
//   cos(a + b) = cos a - sin a * b + (cos a (cos b - 1) - sin a (sin b - b))
// both P + Q b + (P (cos b - 1) + Q (sin b - b)) with (P, Q) = (sin a,
// cos a) or (cos a, -sin a). The last group is below 2^-17 |value| and is
// computed in double (relative error below 2^-51); the Taylor series drop
// less than 2^-80 |value|; P + Q b is a double-double (Q.hi * b.hi exact),
// off by below 2^-100 |value|. Together under 2^-68 |value|.
struct Estimate {
  double hi;
  double lo;  // small beside hi, not normalised
  double error;
  double sign;  // the result is sign * (hi + lo)
};

constexpr double kSigns[2] = {1.0, -1.0};

// Without branches on the quadrant or the sign of r, which are random from
// one angle to the next; inlined so that the result stays in registers.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline Estimate
estimate(double ax, int cosine_shift) {
  const Reduced reduced = reduce_fast(ax);
  const int which = (reduced.quadrant + cosine_shift) & 3;  // sin, cos, -sin, -cos of r
  const int odd = which & 1;
  // |r| = r_hi + r_lo; sin(-r) = -sin r, cos(-r) = cos r.
  const uint64_t sign_bit = bits_of(reduced.r.hi) & uint64_t{1} << 63;
  const double r_hi = from_bits(bits_of(reduced.r.hi) ^ sign_bit);
  const double r_lo = from_bits(bits_of(reduced.r.lo) ^ sign_bit);
  const int j = static_cast<int>(r_hi * kTableStepsPerUnit + 0.5);
  const DoubleDouble b = two_sum(r_hi - j * (1.0 / kTableStepsPerUnit), r_lo);  // exact
  const double *entry = kSinCosTable[j];
  const double p_hi = entry[2 * odd], p_lo = entry[2 * odd + 1];
  const double q_hi = kSigns[odd] * entry[2 - 2 * odd], q_lo = kSigns[odd] * entry[3 - 2 * odd];
  const double b2 = b.hi * b.hi;
  const double sin_b_minus_b = b.hi * b2 * (kSin3 + b2 * (kSin5 + b2 * kSin7));
  const double cos_b_minus_1 = b2 * (kCos2 + b2 * (kCos4 + b2 * kCos6));
  const DoubleDouble qb = two_product(q_hi, b.hi);
  const DoubleDouble sum = two_sum(p_hi, qb.hi);
  const double small = (q_hi * b.lo + q_lo * b.hi) + (p_hi * cos_b_minus_1 + q_hi * sin_b_minus_b);
  const double lo = sum.lo + (qb.lo + (p_lo + small));
  const int flip = (static_cast<int>(sign_bit >> 63) & (odd ^ 1)) ^ (which >> 1);
  return {sum.hi, lo, 0x1p-68 * magnitude(sum.hi) + reduced.error, kSigns[flip]};
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

double accurate_of_magnitude(double ax, int cosine_shift) {
  uint32_t fraction[kFixedFraction];
  int quadrant = reduce_by_bits<12>(ax, fraction);
  const bool negative = round_quadrant(quadrant, fraction);
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

// sin (cosine_shift 0) or cos (1) of ax >= 2^-27, finite: the estimate
// where it decides the rounding, else the accurate path.
double of_magnitude(double ax, int cosine_shift, sine_detail::Path &path) {
  const Estimate e = estimate(ax, cosine_shift);
  // Doubling the error covers the roundings of forming the two ends: the
  // true value lies in [hi + lo - error, hi + lo + error], and rounding to
  // nearest is monotone.
  const double below = e.hi + (e.lo - 2 * e.error);
  const double above = e.hi + (e.lo + 2 * e.error);
  if (below != above) {
    path = sine_detail::Path::kAccurate;
    return accurate_of_magnitude(ax, cosine_shift);
  }
  path = sine_detail::Path::kFast;
  return e.sign * above;
}

}  // namespace

namespace sine_detail {

double sine_by(double x, Path &path) {
  path = Path::kSpecial;
  if (!is_finite(x)) return x - x;
  const double ax = magnitude(x);
  // |sin x - x| < |x|^3 / 6 < 2^-54 |x|: x itself is the nearest double.
  if (ax < 0x1p-26) return x;
  const double value = of_magnitude(ax, 0, path);
  return x < 0 ? -value : value;
}

FastEstimate fast_estimate(double x, int cosine_shift) {
  const Estimate e = estimate(magnitude(x), cosine_shift);
  const double sign = x < 0 && cosine_shift == 0 ? -e.sign : e.sign;
  return {sign * e.hi, sign * e.lo, e.error};
}

double accurate(double x, int cosine_shift) {
  const double value = accurate_of_magnitude(magnitude(x), cosine_shift);
  return x < 0 && cosine_shift == 0 ? -value : value;
}

}  // namespace sine_detail

double sine(double x) {
  sine_detail::Path path;
  return sine_detail::sine_by(x, path);
}

double cosine(double x) {
  if (!is_finite(x)) return x - x;
  const double ax = magnitude(x);
  // 1 - cos x < x^2 / 2 < 2^-55: 1 is the nearest double.
  if (ax < 0x1p-27) return 1.0;
  sine_detail::Path path;
  return of_magnitude(ax, 1, path);
}

}  // namespace wavefx
