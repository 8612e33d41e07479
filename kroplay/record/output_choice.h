// What a recording writes: the frames chosen, the output's default name,
// its type by its name, and the GIF delay for a frame rate.
#ifndef KROPLAY_OUTPUT_CHOICE_H
#define KROPLAY_OUTPUT_CHOICE_H

#include <cstdint>
#include <string>

namespace kroplay {

// Which frames of a run go into the output, counted from 0: first, then
// every step-th frame up to last (both ends included). The run ends after
// last.
struct FrameRange {
  bool all = true;  // every frame; first, last and step unused
  int64_t first = 0;
  int64_t last = 0;
  int64_t step = 1;
};

// The output for `script` when no -o is given: its base name with the
// extension replaced by .gif, in the working folder; "demo.gif" for none.
std::string default_output(const std::string &script);

// True if `output` ends in .png (any case): a PNG instead of a GIF.
bool is_png_output(const std::string &output);

// GIF frame delays are whole hundredths of a second: the nearest to 1/fps.
int gif_delay(int fps);

}  // namespace kroplay

#endif  // KROPLAY_OUTPUT_CHOICE_H
