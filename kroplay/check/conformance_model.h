// What a conforming plug-in does, for the --check run: the result of each
// script function, its change to the background, and the frame the hook
// must compose, row by row, from the effects' state.
#ifndef KROPLAY_CONFORMANCE_MODEL_H
#define KROPLAY_CONFORMANCE_MODEL_H

#include <cstdint>
#include <string>
#include <vector>

#include "kroplay/tuning/wave_effects.h"

namespace kroplay {

class PluginModel {
 public:
  // Applies a call of the script function `name` to the effects and to
  // `background` (width x height bytes) and returns its result.
  int32_t call(const std::string &name, const std::vector<int32_t> &arguments,
               std::vector<uint8_t> &background, int32_t width, int32_t height);

  // Compares a composed `frame` with the one expected from `background`,
  // then advances the applied effect's phase. Returns "" or where the frame
  // first differs. A row whose displacement lies outside the 32-bit range
  // is not compared: any row the plug-in picks for it is allowed. Nor is a
  // row that lies within the platform sin's error of a truncation boundary
  // held to one side: both neighbours are allowed there.
  std::string check_frame(const std::vector<uint8_t> &background, const uint8_t *frame,
                          int32_t width, int32_t height);

 private:
  WaveEffects effects_;
  std::vector<uint8_t> row_;
};

}  // namespace kroplay

#endif  // KROPLAY_CONFORMANCE_MODEL_H
