// The wave effects' state as a host can know it. A host cannot read the
// plug-in's variables, so it follows the script's calls of the six effect
// functions and the frames composed, with the same single-precision
// arithmetic a conforming plug-in does. The preview's title and the --check
// run's model both rest on this one model. It is written apart from the
// plug-in's code on purpose: kroplay judges plug-ins, ours included.
#ifndef KROPLAY_WAVE_EFFECTS_H
#define KROPLAY_WAVE_EFFECTS_H

#include <cstdint>
#include <string>

namespace kroplay {

struct WaveEffect {
  bool on = false;
  float speed = 0.0f;      // radians per frame
  float frequency = 0.0f;  // radians per row
  int32_t amplitude = 15;  // rows or pixels
  float phase = 0.0f;      // radians
};

class WaveEffects {
 public:
  // A call of script function `name` with `count` arguments, first to last.
  // True, with the function's result, for the six effect functions called
  // with their own argument counts; false for anything else, which changes
  // nothing.
  bool apply(const std::string &name, const int32_t *arguments, int count, int32_t &result);

  // One frame composed: the ripple's phase moves if it is on, else the
  // distortion's if that is on.
  void frame_composed();

  // The effect a frame applies now: the ripple wins when both are on; null
  // when neither is.
  const WaveEffect *applied() const;

  WaveEffect ripple;
  WaveEffect distortion;
};

}  // namespace kroplay

#endif  // KROPLAY_WAVE_EFFECTS_H
