#include "step_rotation.h"

#include <cstdint>
#include <cstring>

#include "sine.h"

namespace wavefx {

namespace {

// The last request and its answer, keyed by the frequency's bits (so NaN,
// which equals nothing, is still found). Starts as frequency 0.
struct Kept {
  uint32_t frequency_bits;
  int times;
  StepRotation turns;
};
Kept kept = {0, 1, {1.0, 0.0, 1.0, 0.0}};

}  // namespace

StepRotation step_rotation(float frequency, int times) {
  uint32_t bits;
  std::memcpy(&bits, &frequency, sizeof bits);
  if (bits != kept.frequency_bits || times != kept.times) {
    const double f = frequency, many = times * f;
    kept = {bits, times, {cosine(f), sine(f), cosine(many), sine(many)}};
  }
  return kept.turns;
}

}  // namespace wavefx
