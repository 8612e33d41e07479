#include "support/straightforward_compose.h"

#include <cmath>
#include <cstring>

namespace {

// Truncation toward zero, clamped into [low, high] before the conversion so
// that no value outside the int32 range is converted.
int32_t truncate_into(double value, int32_t low, int32_t high) {
  const double t = std::trunc(value);
  if (t >= high) return high;
  if (t <= low) return low;
  return static_cast<int32_t>(t);
}

double wave_sine(const wavefx::WaveEffect &e, int32_t row, Sine sine) {
  return sine(static_cast<double>(row) * static_cast<double>(e.frequency) +
              static_cast<double>(e.phase));
}

}  // namespace

void straightforward_compose(wavefx::WaveEffect &ripple, wavefx::WaveEffect &distortion,
                             int32_t width, int32_t height, uint8_t *frame,
                             const uint8_t *background, Sine sine) {
  const bool has_pixels = width > 0 && height > 0;
  const size_t w = has_pixels ? static_cast<size_t>(width) : 0;
  if (has_pixels) std::memcpy(frame, background, w * static_cast<size_t>(height));
  if (ripple.active == 1) {
    for (int32_t i = 0; has_pixels && i < height; ++i) {
      const double y = i + ripple.amplitude * wave_sine(ripple, i, sine);
      const int32_t source = truncate_into(y, 0, height - 1);
      std::memcpy(frame + i * w, background + static_cast<size_t>(source) * w, w);
    }
    ripple.phase = ripple.phase + ripple.speed;
  } else if (distortion.active == 1) {
    for (int32_t i = 0; has_pixels && i < height; ++i) {
      const int32_t s = truncate_into(distortion.amplitude * wave_sine(distortion, i, sine),
                                      1 - width, width - 1);
      const size_t n = static_cast<size_t>(s < 0 ? -s : s);
      uint8_t *out = frame + i * w;
      const uint8_t *in = background + i * w;
      if (s >= 0) {
        std::memcpy(out + n, in, w - n);
        std::memset(out, 0, n);
      } else {
        std::memcpy(out, in + n, w - n);
        std::memset(out + w - n, 0, n);
      }
    }
    distortion.phase = distortion.phase + distortion.speed;
  }
}
