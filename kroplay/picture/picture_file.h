// Picture files a script loads, GIF or indexed PNG (told apart by their
// first bytes): the background a picture makes, and the picture itself for
// sprites.
#ifndef KROPLAY_PICTURE_FILE_H
#define KROPLAY_PICTURE_FILE_H

#include <cstdint>
#include <string>
#include <vector>

#include "kroplay/base/picture.h"

namespace kroplay {

// Larger files are refused: they would take long to decode (a picture of
// nothing but LZW clear codes decodes about 44 times slower per byte than
// a real one: 63 MiB of them took 58 s), and a picture this large is no
// background.
inline constexpr int64_t kMaxPictureBytes = int64_t{64} << 20;

// The picture at `path`; a relative `path` is found in `folder` (empty: the
// working folder). Only a regular file of at most kMaxPictureBytes is
// read. Throws std::runtime_error with a reason naming the file as `path`
// gives it; a file that cannot be opened is also named by the full path
// looked at.
Picture read_picture(const std::string &path, const std::string &folder = "");

struct LoadedBackground {
  std::vector<uint8_t> pixels;   // width x height, as asked for
  std::vector<uint8_t> colours;  // RGB triples of the picture's colour table, at most 256
};

// The picture at `path` (as read_picture finds it) placed at its offset,
// cut or padded with its background colour to `width` x `height`.
LoadedBackground load_background_picture(const std::string &path, int32_t width, int32_t height,
                                         const std::string &folder = "");

}  // namespace kroplay

#endif  // KROPLAY_PICTURE_FILE_H
