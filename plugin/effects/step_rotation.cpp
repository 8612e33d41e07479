#include "step_rotation.h"

#include <cstdint>
#include <cstring>

#include "debug_assert.h"
#include "sine.h"

namespace wavefx {

namespace {

// The last request and its answer, keyed by the frequency's bits (so NaN,
// which equals nothing, is still found). Starts as frequency 0.
struct LastRotation {
  uint32_t frequency_bits;
  int times;
  StepRotation turns;
};
LastRotation last_rotation = {0, 1, {1.0, 0.0, 1.0, 0.0}};

}  // namespace

StepRotation step_rotation(float frequency, int times) {
  WAVEFX_ASSERT(times >= 0 && times <= (1 << 29));
  uint32_t bits;
  std::memcpy(&bits, &frequency, sizeof bits);
  if (bits != last_rotation.frequency_bits || times != last_rotation.times) {
    const double f = frequency, many = times * f;
    last_rotation = {bits, times, {cosine(f), sine(f), cosine(many), sine(many)}};
  }
  return last_rotation.turns;
}

}  // namespace wavefx
