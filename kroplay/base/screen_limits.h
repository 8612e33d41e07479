// The screen sizes kroplay accepts, from the command line and from scripts.
#ifndef KROPLAY_SCREEN_LIMITS_H
#define KROPLAY_SCREEN_LIMITS_H

#include <cstdint>

namespace kroplay {

constexpr int32_t kMaxScreenSide = 16384;
constexpr int64_t kMaxScreenPixels = int64_t{1} << 24;

inline bool valid_screen_size(int64_t width, int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxScreenSide && height <= kMaxScreenSide &&
         width * height <= kMaxScreenPixels;
}

}  // namespace kroplay

#endif  // KROPLAY_SCREEN_LIMITS_H
