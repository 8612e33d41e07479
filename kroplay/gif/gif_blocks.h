// The blocks of a GIF89a file, appended as bytes: the header with its
// logical screen and global colour table, the loop block, each image with
// its graphic control block, and the trailer.
#ifndef KROPLAY_GIF_BLOCKS_H
#define KROPLAY_GIF_BLOCKS_H

#include <cstdint>
#include <vector>

#include "kroplay/base/palettes.h"
#include "kroplay/gif/frame_encoder.h"

namespace kroplay {

// "GIF89a", the screen `width` x `height` and the first 2^`bits` entries of
// `table` (`bits` 1..8) as the global colour table.
void put_header(std::vector<uint8_t> &out, int32_t width, int32_t height, const Palette &table,
                int bits);
// The NETSCAPE2.0 application block: loop forever.
void put_loop_forever(std::vector<uint8_t> &out);
// `image` shown for `delay` hundredths of a second (0..65535), drawn over
// what is on screen.
void put_image(std::vector<uint8_t> &out, const EncodedImage &image, int delay);
void put_trailer(std::vector<uint8_t> &out);

}  // namespace kroplay

#endif  // KROPLAY_GIF_BLOCKS_H
