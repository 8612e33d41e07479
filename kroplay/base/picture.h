// A picture file's first image as palette indices, with where it sits and
// its colours: what the GIF and PNG readers give, for backgrounds and
// sprites alike.
#ifndef KROPLAY_PICTURE_H
#define KROPLAY_PICTURE_H

#include <cstdint>
#include <vector>

namespace kroplay {

struct Picture {
  int32_t width = 0, height = 0;
  int32_t left = 0, top = 0;     // its offset on the file's canvas (a GIF frame's); 0 in a PNG
  std::vector<uint8_t> pixels;   // width x height palette indices, row by row
  std::vector<uint8_t> colours;  // RGB triples of its colour table, at most 256
  uint8_t background = 0;        // the colour around the image on a larger screen
  int transparent = -1;          // the index a sprite leaves undrawn, or -1: none
};

// Larger images are refused rather than decoded.
inline constexpr int64_t kMaxPicturePixels = int64_t{1} << 26;

}  // namespace kroplay

#endif  // KROPLAY_PICTURE_H
