// A slow, obviously right model of the plug-in's observable behaviour:
// effect state, script results, background drawing, and every frame pixel by
// pixel. Written from the behaviour, independently of the plug-in's code.
#ifndef WAVEFX_TESTS_REFERENCE_MODEL_H
#define WAVEFX_TESTS_REFERENCE_MODEL_H

#include <cstdint>
#include <string>
#include <vector>

struct ModelEffect {
  bool on = false;
  float speed = 0.0f;
  float frequency = 0.0f;
  int32_t amplitude = 15;
  float phase = 0.0f;
};

struct ReferenceModel {
  ModelEffect ripple;
  ModelEffect distortion;

  // Applies a script call to the model's state and to `background` (a
  // width x height bitmap) and returns the call's result.
  int32_t call(const std::string &name, const std::vector<int32_t> &args,
               std::vector<uint8_t> &background, int32_t width, int32_t height);

  // Composes one frame into `frame` from `background` and advances the
  // applied effect's phase. `frame` is left alone where there are no pixels.
  void compose(const std::vector<uint8_t> &background, std::vector<uint8_t> &frame, int32_t width,
               int32_t height);
};

#endif  // WAVEFX_TESTS_REFERENCE_MODEL_H
