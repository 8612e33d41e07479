#include "compose_frame.h"

#include <cstring>

#include "../host/host_bindings.h"
#include "cpu_features.h"
#include "wave_effect.h"
#include "wave_rows.h"

namespace wavefx {

namespace {

// The row loops for this processor: the widest vector build it runs.
void apply_ripple_on_this_processor() {
#if defined(WAVEFX_AVX2_ROWS)
  if (cpu_features().avx2) return avx2::apply_ripple();
#endif
#if defined(WAVEFX_SSE2_ROWS)
  if (cpu_features().sse2) return sse2::apply_ripple();
#endif
  portable::apply_ripple();
}

void apply_distortion_on_this_processor() {
#if defined(WAVEFX_AVX2_ROWS)
  if (cpu_features().avx2) return avx2::apply_distortion();
#endif
#if defined(WAVEFX_SSE2_ROWS)
  if (cpu_features().sse2) return sse2::apply_distortion();
#endif
  portable::apply_distortion();
}

}  // namespace

void compose_frame() {
  const bool has_pixels = !screen_is_empty();
  if (ripple.active == 1) {
    if (has_pixels) apply_ripple_on_this_processor();
    ripple.phase = ripple.phase + ripple.speed;
  } else if (distortion.active == 1) {
    if (has_pixels) apply_distortion_on_this_processor();
    distortion.phase = distortion.phase + distortion.speed;
  } else if (has_pixels) {
    std::memmove(frame_buffer(), background_bitmap(),
                 static_cast<size_t>(screen_height()) * static_cast<size_t>(screen_width()));
  }
}

}  // namespace wavefx
