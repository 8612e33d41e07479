#include "compose_frame.h"

#include <cstring>

#include "../host/host_bindings.h"
#include "row_sines.h"
#include "wave_effect.h"

namespace wavefx {

namespace {

bool screen_is_empty() {
  return screen_width() <= 0 || screen_height() <= 0;
}

size_t row_offset(int32_t row, int32_t width) {
  return static_cast<size_t>(row) * static_cast<size_t>(width);
}

// trunc(y) clamped into [0, height - 1]. Clamped in floating point first, as
// y may lie far outside the int32 range with amplitudes near 2^31.
int32_t clamp_source_row(double y, int32_t height) {
  if (y >= height) return height - 1;
  if (y > -1.0) return static_cast<int32_t>(y);  // truncates into [0, height - 1]
  return 0;
}

// trunc(v) clamped into [1 - width, width - 1]; width is at least 1.
int32_t clamp_shift(double v, int32_t width) {
  if (v >= width) return width - 1;
  if (v > -static_cast<double>(width)) return static_cast<int32_t>(v);
  return 1 - width;
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

  bool continues(int32_t next_source_or_shift, int32_t w, const uint8_t *f, const uint8_t *g,
                 int32_t step) const {
    return rows > 0 && next_source_or_shift == source_or_shift + step * rows && w == width &&
           f == frame && g == background;
  }
};

// memmove throughout: a host may hand over one bitmap as both buffer and
// background; the result is then meaningless but stays inside the bitmap.
void copy_ripple_run(const RowRun &run) {
  if (run.rows == 0) return;
  std::memmove(run.frame + row_offset(run.first_row, run.width),
               run.background + row_offset(run.source_or_shift, run.width),
               row_offset(run.rows, run.width));
}

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
  if (run.source_or_shift >= 0) {
    const size_t shift = static_cast<size_t>(run.source_or_shift);
    std::memmove(frame + shift, background, bytes - shift);
    for (size_t row = 0; row < bytes; row += width) std::memset(frame + row, 0, shift);
  } else {
    const size_t shift = static_cast<size_t>(-static_cast<int64_t>(run.source_or_shift));
    std::memmove(frame, background + shift, bytes - shift);
    for (size_t row = width - shift; row < bytes; row += width) std::memset(frame + row, 0, shift);
  }
}

// Every frame row is written exactly once: the background copy that the
// plain algorithm makes first is overwritten row by row, so it is skipped.
void apply_ripple() {
  RowSines sines(ripple);
  const double amplitude = ripple.amplitude;
  RowRun run;
  for (int32_t i = 0; i < screen_height(); ++i) {
    const int32_t height = screen_height();
    const double row = i;
    const int32_t source = decide_row(sines.next(), [=](double sine) {
      return clamp_source_row(row + amplitude * sine, height);
    });
    const int32_t width = screen_width();
    uint8_t *frame = frame_buffer();
    const uint8_t *background = background_bitmap();
    if (run.continues(source, width, frame, background, 1)) {
      ++run.rows;
      continue;
    }
    copy_ripple_run(run);
    run = RowRun{i, 1, source, width, frame, background};
  }
  copy_ripple_run(run);
}

void apply_distortion() {
  RowSines sines(distortion);
  const double amplitude = distortion.amplitude;
  RowRun run;
  for (int32_t i = 0; i < screen_height(); ++i) {
    const int32_t width = screen_width();
    const int32_t shift =
        decide_row(sines.next(), [=](double sine) { return clamp_shift(amplitude * sine, width); });
    uint8_t *frame = frame_buffer();
    const uint8_t *background = background_bitmap();
    if (run.continues(shift, width, frame, background, 0)) {
      ++run.rows;
      continue;
    }
    copy_distortion_run(run);
    run = RowRun{i, 1, shift, width, frame, background};
  }
  copy_distortion_run(run);
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
