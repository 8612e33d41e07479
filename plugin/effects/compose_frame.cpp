#include "compose_frame.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "../host/host_bindings.h"
#include "row_copy.h"
#include "row_sines.h"
#include "sine.h"
#include "wave_effect.h"

namespace wavefx {

namespace {

size_t row_offset(int32_t row, int32_t width) {
  return static_cast<size_t>(row) * static_cast<size_t>(width);
}

// What a row's sine decides, for both effects: trunc(offset + amplitude *
// sine) clamped into [low, high]. The ripple's offset is the row number and
// its range the rows; the distortion's offset is 0 (adding 0.0 changes no
// truncation) and its range the shifts 1 - width .. width - 1. Clamped in
// floating point before the conversion, as the value may lie far outside
// the int32 range with amplitudes near 2^31. (For -1 < y < 0 trunc gives 0,
// and so does clamping at 0 first.)
struct RowDecision {
  double amplitude;
  double low;
  double high;

  int32_t operator()(double offset, double sine) const {
    return static_cast<int32_t>(std::min(std::max(offset + amplitude * sine, low), high));
  }

  // The decision at both ends of [sine - bound, sine + bound] at once, with
  // the same IEEE operations lane by lane.
  bool agree(double offset, double sine, double bound, int32_t &decided) const {
#if defined(__SSE2__)
    const __m128d sines = _mm_set_pd(sine + bound, sine - bound);
    const __m128d values =
        _mm_add_pd(_mm_set1_pd(offset), _mm_mul_pd(_mm_set1_pd(amplitude), sines));
    const __m128d clamped = _mm_min_pd(_mm_max_pd(values, _mm_set1_pd(low)), _mm_set1_pd(high));
    const __m128i ends = _mm_cvttpd_epi32(clamped);
    decided = _mm_cvtsi128_si32(ends);
    return decided == _mm_cvtsi128_si32(_mm_shuffle_epi32(ends, 1));
#else
    decided = (*this)(offset, sine - bound);
    return decided == (*this)(offset, sine + bound);
#endif
  }
};

// What a block of rows' sines decide, row offsets starting at `offset` and
// moving by `offset_step`. Evaluated at both ends of each estimate's
// interval: where the two agree, that is what the correctly rounded sine
// would decide, since rounding, truncation and clamping are all monotone in
// the sine. Where they differ the row lies too near a truncation boundary for
// the estimate, and the correctly rounded sine decides it.
// With SSE2, two rows at a time: each lane performs the same IEEE operations
// as RowDecision::agree, and the row offsets (whole numbers) stay exact.
void decide_block(const RowSines::Block &block, int rows, double offset, double offset_step,
                  const RowDecision &decision, int32_t *decided) {
  int k = 0;
#if defined(__SSE2__)
  const __m128d amplitude = _mm_set1_pd(decision.amplitude);
  const __m128d low = _mm_set1_pd(decision.low), high = _mm_set1_pd(decision.high);
  const __m128d bound = _mm_set1_pd(block.bound);
  const __m128d pair_step = _mm_set1_pd(2.0 * offset_step);
  __m128d offsets = _mm_set_pd(offset + offset_step, offset);
  for (; k + 2 <= rows; k += 2, offset += 2.0 * offset_step) {
    const __m128d sines = _mm_loadu_pd(block.sine + k);
    const __m128d below = _mm_add_pd(offsets, _mm_mul_pd(amplitude, _mm_sub_pd(sines, bound)));
    const __m128d above = _mm_add_pd(offsets, _mm_mul_pd(amplitude, _mm_add_pd(sines, bound)));
    const __m128i below_decided = _mm_cvttpd_epi32(_mm_min_pd(_mm_max_pd(below, low), high));
    const __m128i above_decided = _mm_cvttpd_epi32(_mm_min_pd(_mm_max_pd(above, low), high));
    _mm_storel_epi64(reinterpret_cast<__m128i *>(decided + k), below_decided);
    const int agreeing = _mm_movemask_epi8(_mm_cmpeq_epi32(below_decided, above_decided)) & 0xff;
    if (agreeing != 0xff) {
      if ((agreeing & 0x0f) != 0x0f) decided[k] = decision(offset, sine(block.angle[k]));
      if ((agreeing & 0xf0) != 0xf0)
        decided[k + 1] = decision(offset + offset_step, sine(block.angle[k + 1]));
    }
    offsets = _mm_add_pd(offsets, pair_step);
  }
#endif
  for (; k < rows; ++k, offset += offset_step) {
    if (!decision.agree(offset, block.sine[k], block.bound, decided[k]))
      decided[k] = decision(offset, sine(block.angle[k]));
  }
}

// A run of consecutive frame rows whose copies merge into one block copy:
// consecutive source rows (ripple) or one shared shift (distortion), all
// with the same host width and bitmaps.
struct RowRun {
  int32_t first_row = 0;
  int32_t rows = 0;
  int32_t source_or_shift = 0;
  int32_t width = 0;
  uint8_t *frame = nullptr;
  const uint8_t *background = nullptr;
};

// memmove semantics throughout (move_bytes): a host may hand over one bitmap
// as both buffer and background; the result is then meaningless but stays
// inside the bitmap.
void copy_ripple_run(const RowRun &run) {
  if (run.rows == 0) return;
  move_bytes(run.frame + row_offset(run.first_row, run.width),
             run.background + row_offset(run.source_or_shift, run.width),
             row_offset(run.rows, run.width));
}

constexpr size_t kEdgeBytes = 32;

// Rows shifted by s >= 0 read background bytes 0 .. W - s - 1 into frame
// bytes s .. W - 1; for a run, one block copy moves them all, carrying each
// row's last s bytes into the next row's first s, which the fill then clears.
void copy_distortion_run(const RowRun &run) {
  if (run.rows == 0) return;
  const size_t width = static_cast<size_t>(run.width);
  const size_t start = row_offset(run.first_row, run.width);
  const size_t bytes = row_offset(run.rows, run.width);
  uint8_t *frame = run.frame + start;
  const uint8_t *background = run.background + start;
  const bool right = run.source_or_shift >= 0;
  const size_t shift = static_cast<size_t>(right ? static_cast<int64_t>(run.source_or_shift)
                                                 : -static_cast<int64_t>(run.source_or_shift));
  // A single row with a small shift, the usual case: clear the 32 bytes at
  // the uncovered edge first with two fixed-size stores, then let the copy
  // overwrite all but the uncovered bytes. Saves a memset call per row.
  if (run.rows == 1 && shift <= kEdgeBytes && width >= kEdgeBytes) {
    static const uint8_t zeros[kEdgeBytes] = {};
    std::memcpy(right ? frame : frame + width - kEdgeBytes, zeros, kEdgeBytes);
    if (right) {
      move_bytes(frame + shift, background, width - shift);
    } else {
      move_bytes(frame, background + shift, width - shift);
    }
    return;
  }
  if (right) {
    move_bytes(frame + shift, background, bytes - shift);
    for (size_t row = 0; row < bytes; row += width) std::memset(frame + row, 0, shift);
  } else {
    move_bytes(frame, background + shift, bytes - shift);
    for (size_t row = width - shift; row < bytes; row += width) std::memset(frame + row, 0, shift);
  }
}

// Every frame row is written exactly once: the background copy that the
// plain algorithm makes first is overwritten row by row, so it is skipped.
// Rows go in blocks: first their sines, then what each row's sine decides
// (a source row or a shift, by `decide_rows(block, rows, first, decided)`),
// then the copies, merged into runs whose decisions step by `run_step` from
// row to row. The height is read afresh for every block of rows, the width
// and both bitmaps for every row.
template <typename DecideRows, typename CopyRun>
void apply_wave(const WaveEffect &effect, int32_t run_step, DecideRows decide_rows,
                CopyRun copy_run) {
  RowSines sines(effect);
  RowSines::Block block;
  int32_t decided[RowSines::kBlock];
  RowRun run;        // rows gathered so far, copied once the run cannot grow
  int64_t next = 0;  // the decision that would make the run one row longer
  for (int64_t first = 0; first < screen_height(); first += RowSines::kBlock) {
    const int rows = static_cast<int>(std::min<int64_t>(RowSines::kBlock, screen_height() - first));
    sines.next_block(rows, block);
    decide_rows(block, rows, first, decided);
    for (int k = 0; k < rows; ++k) {
      const int32_t width = screen_width();
      uint8_t *frame = frame_buffer();
      const uint8_t *background = background_bitmap();
      if (run.rows > 0 && decided[k] == next && width == run.width && frame == run.frame &&
          background == run.background) {
        ++run.rows;
        next += run_step;
        continue;
      }
      copy_run(run);
      run = RowRun{static_cast<int32_t>(first + k), 1, decided[k], width, frame, background};
      next = int64_t{decided[k]} + run_step;
    }
  }
  copy_run(run);
}

// Row i shows background row trunc(i + amplitude * sin), clamped.
void apply_ripple() {
  const double amplitude = ripple.amplitude;
  apply_wave(
      ripple, 1,
      [amplitude](const RowSines::Block &block, int rows, int64_t first, int32_t *decided) {
        const RowDecision decision = {amplitude, 0.0, screen_height() - 1.0};
        decide_block(block, rows, static_cast<double>(first), 1.0, decision, decided);
      },
      [](const RowRun &run) { copy_ripple_run(run); });
}

// Row i moves sideways by trunc(amplitude * sin), clamped.
void apply_distortion() {
  const double amplitude = distortion.amplitude;
  apply_wave(
      distortion, 0,
      [amplitude](const RowSines::Block &block, int rows, int64_t, int32_t *decided) {
        const double widest = screen_width() - 1.0;
        decide_block(block, rows, 0.0, 0.0, RowDecision{amplitude, -widest, widest}, decided);
      },
      [](const RowRun &run) { copy_distortion_run(run); });
}

}  // namespace

void compose_frame() {
  const bool has_pixels = !screen_is_empty();
  if (ripple.active == 1) {
    if (has_pixels) apply_ripple();
    ripple.phase = ripple.phase + ripple.speed;
  } else if (distortion.active == 1) {
    if (has_pixels) apply_distortion();
    distortion.phase = distortion.phase + distortion.speed;
  } else if (has_pixels) {
    std::memmove(frame_buffer(), background_bitmap(), row_offset(screen_height(), screen_width()));
  }
}

}  // namespace wavefx
