// Reads a background picture: the first frame of an indexed GIF and its
// colour table.
#ifndef KROPLAY_GIF_LOADER_H
#define KROPLAY_GIF_LOADER_H

#include <cstdint>
#include <string>
#include <vector>

#include "kroplay/host/palettes.h"

namespace kroplay {

struct LoadedBackground {
  std::vector<uint8_t> pixels;  // width x height, as asked for
  std::vector<uint8_t> colors;  // RGB triples of the GIF's colour table, at most 256
};

// Larger files are refused: they would take long to decode (a picture of
// nothing but LZW clear codes decodes about 44 times slower per byte than
// a real one: 63 MiB of them took 58 s), and a picture this large is no
// background.
inline constexpr int64_t kMaxPictureBytes = int64_t{64} << 20;

// The first frame of the GIF at `path`, placed at its offset, cut or padded
// (with the GIF's background colour) to `width` x `height`. A relative
// `path` is found in `folder` (empty: the working folder). Only a regular
// file of at most kMaxPictureBytes is read. Throws std::runtime_error with
// a reason naming the file as `path` gives it.
LoadedBackground load_gif_background(const std::string &path, int32_t width, int32_t height,
                                     const std::string &folder = "");

}  // namespace kroplay

#endif  // KROPLAY_GIF_LOADER_H
