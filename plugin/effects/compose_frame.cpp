#include "compose_frame.h"

#include <cmath>
#include <cstring>

#include "../host/host_bindings.h"
#include "wave_effect.h"

namespace wavefx {

namespace {

bool screen_is_empty() {
  return screen_width() <= 0 || screen_height() <= 0;
}

size_t row_offset(int32_t row, int32_t width) {
  return static_cast<size_t>(row) * static_cast<size_t>(width);
}

// The wave's sine argument for a row, in double precision from the
// single-precision fields.
double wave_angle(const WaveEffect &effect, int32_t row) {
  return static_cast<double>(row) * static_cast<double>(effect.frequency) +
         static_cast<double>(effect.phase);
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

void copy_background() {
  if (screen_is_empty()) return;
  const size_t size = row_offset(screen_height(), screen_width());
  // memmove: a host may hand over one bitmap as both buffer and background.
  std::memmove(frame_buffer(), background_bitmap(), size);
}

void apply_ripple() {
  if (screen_is_empty()) return;
  for (int32_t i = 0; i < screen_height(); ++i) {
    const double y = i + ripple.amplitude * std::sin(wave_angle(ripple, i));
    const int32_t source = clamp_source_row(y, screen_height());
    const int32_t width = screen_width();
    std::memmove(frame_buffer() + row_offset(i, width),
                 background_bitmap() + row_offset(source, width), static_cast<size_t>(width));
  }
}

void apply_distortion() {
  if (screen_is_empty()) return;
  for (int32_t i = 0; i < screen_height(); ++i) {
    const int32_t width = screen_width();
    const int32_t shift =
        clamp_shift(distortion.amplitude * std::sin(wave_angle(distortion, i)), width);
    uint8_t *out = frame_buffer() + row_offset(i, width);
    const uint8_t *in = background_bitmap() + row_offset(i, width);
    if (shift >= 0) {
      const size_t s = static_cast<size_t>(shift);
      std::memmove(out + s, in, static_cast<size_t>(width) - s);
      std::memset(out, 0, s);
    } else {
      const size_t s = static_cast<size_t>(-static_cast<int64_t>(shift));
      std::memmove(out, in + s, static_cast<size_t>(width) - s);
      std::memset(out + (static_cast<size_t>(width) - s), 0, s);
    }
  }
}

}  // namespace

void compose_frame() {
  copy_background();
  if (ripple.active == 1) {
    apply_ripple();
    ripple.phase = ripple.phase + ripple.speed;
  } else if (distortion.active == 1) {
    apply_distortion();
    distortion.phase = distortion.phase + distortion.speed;
  }
}

}  // namespace wavefx
