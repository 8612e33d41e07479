// The definitions behind wave_rows.h, included once per instruction set:
// everything here lands in the namespace that isa_namespace.h names.
// Uses no standard library templates, whose out-of-line copies the linker
// could share between the two builds.
#ifndef WAVEFX_WAVE_ROWS_IMPL_H
#define WAVEFX_WAVE_ROWS_IMPL_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "isa_namespace.h"

#if defined(WAVEFX_ROWS_SSE2)
#include <emmintrin.h>
#endif
#if defined(WAVEFX_ROWS_AVX)
#include <immintrin.h>
#endif

#include "../host/host_bindings.h"
#include "compiler_hints.h"
#include "debug_assert.h"
#include "row_copy.h"
#include "row_sines.h"
#include "sine.h"
#include "wave_effect.h"
#include "wave_rows.h"

namespace wavefx {
inline namespace WAVEFX_ISA {

namespace {

size_t row_offset(int64_t row, int32_t width) {
  return static_cast<size_t>(row) * static_cast<size_t>(width);
}

// What a row's sine decides, for both effects: trunc(offset + amplitude *
// sine) clamped into [low, high]. The ripple's offset is the row number and
// its range the rows; the distortion's offset is 0 (adding 0.0 changes no
// truncation) and its range the shifts 1 - width .. width - 1. Clamped in
// floating point before the conversion, as the value may lie far outside
// the int32 range with amplitudes near 2^31. (For -1 < y < 0 trunc gives 0,
// and so does clamping at 0 first.) The clamps compare as the vector
// max/min instructions below do.
struct RowDecision {
  double amplitude;
  double low;
  double high;

  int32_t operator()(double offset, double sine) const {
    const double value = offset + amplitude * sine;
    const double above_low = value < low ? low : value;
    return static_cast<int32_t>(high < above_low ? high : above_low);
  }
};

// What a block of rows' sines decide, row offsets starting at `offset` and
// moving by `offset_step` (whole numbers, so every sum below is exact).
// Evaluated at both ends of each estimate's interval [sine - bound, sine +
// bound]: where the two agree, that is what the correctly rounded sine would
// decide, since rounding, truncation and clamping are all monotone in the
// sine. Where they differ the row lies too near a truncation boundary for
// the estimate, and the correctly rounded sine decides it. Four rows per
// step with AVX, two with SSE2, then one at a time: every lane performs the
// same IEEE operations as the scalar step. Without row offsets (the
// distortion's are all 0) the vector steps leave out adding them: x + 0.0
// differs from x only for x = -0.0, which truncates to 0 all the same.
template <bool kRowOffsets>
void decide_block(const RowSines &sines, const RowSines::Block &block, int64_t first, int rows,
                  double offset, double offset_step, const RowDecision &decision,
                  int32_t *decided) {
  WAVEFX_ASSERT(rows >= 1 && rows <= RowSines::kBlock && decision.low <= decision.high);
  int k = 0;
  // The row number as a double (exact: rows are whole numbers far below
  // 2^53). Kept as a 64-bit integer, first + row became a counter in
  // memory that the 32-bit build added to, with carry, on every step.
  const double first_row = static_cast<double>(first);
  const auto decide_by_sine = [&](int row) {
    decided[row] = decision(offset + row * offset_step, sine(sines.angle(first_row + row)));
  };
#if defined(WAVEFX_ROWS_AVX)
  {
    const __m256d amplitude = _mm256_set1_pd(decision.amplitude);
    const __m256d low = _mm256_set1_pd(decision.low), high = _mm256_set1_pd(decision.high);
    const __m256d bound = _mm256_set1_pd(block.bound);
    const __m256d step = _mm256_set1_pd(4.0 * offset_step);
    __m256d offsets = _mm256_set_pd(offset + 3.0 * offset_step, offset + 2.0 * offset_step,
                                    offset + offset_step, offset);
    for (; k + 4 <= rows; k += 4) {
      const __m256d estimates = _mm256_loadu_pd(opaque(block.sine + k));
      __m256d below = _mm256_mul_pd(amplitude, _mm256_sub_pd(estimates, bound));
      __m256d above = _mm256_mul_pd(amplitude, _mm256_add_pd(estimates, bound));
      if (kRowOffsets) below = _mm256_add_pd(offsets, below), above = _mm256_add_pd(offsets, above);
      const __m128i below_decided =
          _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(below, low), high));
      const __m128i above_decided =
          _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(above, low), high));
      _mm_storeu_si128(reinterpret_cast<__m128i *>(decided + k), below_decided);
      const int agreeing = _mm_movemask_epi8(_mm_cmpeq_epi32(below_decided, above_decided));
      if (agreeing != 0xffff) {
        for (int lane = 0; lane < 4; ++lane)
          if (((agreeing >> (4 * lane)) & 0xf) != 0xf) decide_by_sine(k + lane);
      }
      if (kRowOffsets) offsets = _mm256_add_pd(offsets, step);
    }
  }
#endif
#if defined(WAVEFX_ROWS_SSE2)
  {
    const __m128d amplitude = _mm_set1_pd(decision.amplitude);
    const __m128d low = _mm_set1_pd(decision.low), high = _mm_set1_pd(decision.high);
    const __m128d bound = _mm_set1_pd(block.bound);
    const __m128d step = _mm_set1_pd(2.0 * offset_step);
    __m128d offsets = _mm_set_pd(offset + (k + 1) * offset_step, offset + k * offset_step);
    for (; k + 2 <= rows; k += 2) {
      const __m128d estimates = _mm_loadu_pd(block.sine + k);
      __m128d below = _mm_mul_pd(amplitude, _mm_sub_pd(estimates, bound));
      __m128d above = _mm_mul_pd(amplitude, _mm_add_pd(estimates, bound));
      if (kRowOffsets) below = _mm_add_pd(offsets, below), above = _mm_add_pd(offsets, above);
      const __m128i below_decided = _mm_cvttpd_epi32(_mm_min_pd(_mm_max_pd(below, low), high));
      const __m128i above_decided = _mm_cvttpd_epi32(_mm_min_pd(_mm_max_pd(above, low), high));
      _mm_storel_epi64(reinterpret_cast<__m128i *>(decided + k), below_decided);
      const int agreeing = _mm_movemask_epi8(_mm_cmpeq_epi32(below_decided, above_decided)) & 0xff;
      if (agreeing != 0xff) {
        if ((agreeing & 0x0f) != 0x0f) decide_by_sine(k);
        if ((agreeing & 0xf0) != 0xf0) decide_by_sine(k + 1);
      }
      if (kRowOffsets) offsets = _mm_add_pd(offsets, step);
    }
  }
#endif
  for (; k < rows; ++k) {
    const double row_offset_value = offset + k * offset_step;
    decided[k] = decision(row_offset_value, block.sine[k] - block.bound);
    if (decided[k] != decision(row_offset_value, block.sine[k] + block.bound)) decide_by_sine(k);
  }
  for (k = 0; k < rows; ++k)
    WAVEFX_ASSERT(decided[k] >= decision.low && decided[k] <= decision.high);
}

// The host's screen as read at one moment.
struct Screen {
  int32_t width;
  int32_t height;
  uint8_t *frame;
  const uint8_t *background;
};

Screen read_screen() {
  return {screen_width(), screen_height(), frame_buffer(), background_bitmap()};
}

// The hook writes only the frame. Where the frame, as the host describes it
// now, covers neither the background nor the host's own width, height and
// bitmap addresses, no row written can change what the host says: reading
// those once per block of rows then gives what reading them for every row
// would, and every row's copy has its ranges apart. A host whose frame does
// cover them (one bitmap handed over as both, say) gets the rows one by
// one, the host re-read for each, with memmove semantics.
bool writes_reach_only_the_frame(const Screen &screen) {
  const size_t bytes = row_offset(screen.height, screen.width);
  return ranges_apart(screen.frame, bytes, screen.background, bytes) &&
         ranges_apart(screen.frame, bytes, host.wide, sizeof(int32_t)) &&
         ranges_apart(screen.frame, bytes, host.height, sizeof(int32_t)) &&
         ranges_apart(screen.frame, bytes, host.buffer, sizeof(uint8_t *)) &&
         ranges_apart(screen.frame, bytes, host.background, sizeof(uint8_t *));
}

// Frame rows first .. first + rows - 1 become background rows decided[k],
// for a frame and background apart. Everything the loop needs is passed by
// value: the byte stores could otherwise alias it and force reloads. Out of
// line, so that the loop gets the registers to itself: inlined into
// apply_wave, the 32-bit build (eight registers) kept its row counter on the
// stack, a store-to-load chain per row.
WAVEFX_NEVER_INLINE void copy_ripple_rows(uint8_t *frame, const uint8_t *background, size_t width,
                                          int64_t first, const int32_t *decided, int rows) {
  uint8_t *to = frame + static_cast<size_t>(first) * width;
  const auto copy_each_row = [&] {
    for (const int32_t *source = decided, *end = decided + rows; source != end;
         ++source, to += width)
      copy_apart(to, background + static_cast<size_t>(*source) * width, width);
  };
  // The same loop under tests of the width: every row has the same width,
  // so within each test every row takes one kind of copy (whole vectors, two
  // 8-byte words, one) and the compiler drops the other kinds' code from the
  // loop, which narrow screens, with the most rows per byte, feel most.
  if (width >= kVectorBytes && width <= kInlineCopyBytes)
    copy_each_row();
  else if (width > 8 && width < 16)
    copy_each_row();
  else if (width == 8)
    copy_each_row();
  else
    copy_each_row();
}

// The same rows moved right by decided[k] (left where negative), the
// uncovered bytes 0: the uncovered edge is cleared first, a whole vector at
// a time, and the copy then overwrites all of it but the uncovered bytes.
// Out of line for the same reason as copy_ripple_rows.
WAVEFX_NEVER_INLINE void copy_distortion_rows(uint8_t *frame, const uint8_t *background,
                                              size_t width, int64_t first, const int32_t *decided,
                                              int rows) {
  const size_t start = static_cast<size_t>(first) * width;
  uint8_t *to = frame + start;
  const uint8_t *from = background + start;
#if defined(WAVEFX_ROWS_SSE2)
  // Rows of exactly 8 bytes are one 64-bit word each, byte k in bits 8k ..
  // 8k + 7 (x86 is little-endian): moving the row right by s bytes shifts
  // the word left by 8s bits, and the bits shifted in are the zeroed edge.
  // No branch on the shift (|s| <= 7, so no count reaches 64): four rows per
  // instruction with AVX2's per-lane counts, one with SSE2.
  if (width == 8) {
    int k = 0;
#if defined(WAVEFX_ROWS_AVX2)
    const __m128i none = _mm_setzero_si128();
    for (; k + 4 <= rows; k += 4) {
      const __m128i shifts = _mm_loadu_si128(reinterpret_cast<const __m128i *>(decided + k));
      const __m256i left_bits =
          _mm256_cvtepu32_epi64(_mm_slli_epi32(_mm_max_epi32(shifts, none), 3));
      const __m256i right_bits = _mm256_cvtepu32_epi64(
          _mm_slli_epi32(_mm_max_epi32(_mm_sub_epi32(none, shifts), none), 3));
      const __m256i words = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(from + 8 * k));
      _mm256_storeu_si256(reinterpret_cast<__m256i *>(to + 8 * k),
                          _mm256_srlv_epi64(_mm256_sllv_epi64(words, left_bits), right_bits));
    }
#endif
    for (; k < rows; ++k) {
      const int32_t shift = decided[k];
      const __m128i left_bits = _mm_cvtsi32_si128(shift > 0 ? 8 * shift : 0);
      const __m128i right_bits = _mm_cvtsi32_si128(shift < 0 ? -8 * shift : 0);
      const __m128i word = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(from + 8 * k));
      _mm_storel_epi64(reinterpret_cast<__m128i *>(to + 8 * k),
                       _mm_srl_epi64(_mm_sll_epi64(word, left_bits), right_bits));
    }
    return;
  }
#endif
  for (const int32_t *shift = decided, *end = decided + rows; shift != end;
       ++shift, to += width, from += width) {
    if (*shift >= 0) {
      const size_t bytes = static_cast<size_t>(*shift);
      clear_edge(to, width, bytes, false);
      copy_apart(to + bytes, opaque(from), width - bytes);
    } else {
      const size_t bytes = static_cast<size_t>(-int64_t{*shift});
      clear_edge(to, width, bytes, true);
      copy_apart(to, from + bytes, width - bytes);
    }
  }
}

// One row at a time for a host whose frame may cover the background or the
// host's own variables (writes_reach_only_the_frame false): memmove
// semantics, and the decision, made with the screen as it was at the block's
// start, clamped again to the screen as it is now.
void move_ripple_row(const Screen &screen, int64_t row, int32_t source) {
  if (source >= screen.height) source = screen.height - 1;
  const size_t width = static_cast<size_t>(screen.width);
  move_bytes(screen.frame + static_cast<size_t>(row) * width,
             screen.background + static_cast<size_t>(source) * width, width);
}

void move_distortion_row(const Screen &screen, int64_t row, int32_t shift) {
  const int32_t widest = screen.width - 1;
  if (shift > widest) shift = widest;
  if (shift < -widest) shift = -widest;
  const size_t width = static_cast<size_t>(screen.width);
  uint8_t *frame = screen.frame + static_cast<size_t>(row) * width;
  const uint8_t *background = screen.background + static_cast<size_t>(row) * width;
  const size_t bytes = static_cast<size_t>(shift >= 0 ? int64_t{shift} : -int64_t{shift});
  if (shift >= 0) {
    move_bytes(frame + bytes, background, width - bytes);
    std::memset(frame, 0, bytes);
  } else {
    move_bytes(frame, background + bytes, width - bytes);
    std::memset(frame + width - bytes, 0, bytes);
  }
}

// Every frame row is written exactly once: the background copy that the
// plain algorithm makes first would be overwritten anyway, so it is skipped.
// Rows go in blocks: first their sines, then what each row's sine decides
// (a source row or a shift: `decide(sines, block, first, rows, screen,
// decided)`), then the row copies (`copy_rows`, or `move_row` row by row).
// The host is read at every block, and for every row too where writing the
// frame could change it (writes_reach_only_the_frame).
template <typename Decide, typename CopyRows, typename MoveRow>
void apply_wave(const WaveEffect &effect, Decide decide, CopyRows copy_rows, MoveRow move_row) {
  RowSines sines(effect);
  RowSines::Block block;
  int32_t decided[RowSines::kBlock];
  for (int64_t first = 0;; first += RowSines::kBlock) {
    const Screen screen = read_screen();
    // A width of 0 or less, which rows written to a frame that holds the
    // host's width can leave, gives every later row no bytes to write.
    if (first >= screen.height || screen.width <= 0) return;
    const int64_t left = screen.height - first;
    const int rows = left < RowSines::kBlock ? static_cast<int>(left) : RowSines::kBlock;
    sines.next_block(rows, block);
    decide(sines, block, first, rows, screen, decided);
    if (writes_reach_only_the_frame(screen)) {
      copy_rows(screen.frame, screen.background, static_cast<size_t>(screen.width), first, decided,
                rows);
      continue;
    }
    for (int k = 0; k < rows; ++k) {
      const Screen now = read_screen();
      if (now.width > 0 && first + k < now.height) move_row(now, first + k, decided[k]);
    }
  }
}

}  // namespace

void apply_ripple() {
  const double amplitude = ripple.amplitude;
  apply_wave(
      ripple,
      [amplitude](const RowSines &sines, const RowSines::Block &block, int64_t first, int rows,
                  const Screen &screen, int32_t *decided) {
        const RowDecision decision = {amplitude, 0.0, screen.height - 1.0};
        decide_block<true>(sines, block, first, rows, static_cast<double>(first), 1.0, decision,
                           decided);
      },
      copy_ripple_rows, move_ripple_row);
}

void apply_distortion() {
  const double amplitude = distortion.amplitude;
  apply_wave(
      distortion,
      [amplitude](const RowSines &sines, const RowSines::Block &block, int64_t first, int rows,
                  const Screen &screen, int32_t *decided) {
        const double widest = screen.width - 1.0;
        decide_block<false>(sines, block, first, rows, 0.0, 0.0,
                            RowDecision{amplitude, -widest, widest}, decided);
      },
      copy_distortion_rows, move_distortion_row);
}

}  // namespace WAVEFX_ISA
}  // namespace wavefx

#endif  // WAVEFX_WAVE_ROWS_IMPL_H
