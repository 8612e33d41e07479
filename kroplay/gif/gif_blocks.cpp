#include "kroplay/gif/gif_blocks.h"

#include <algorithm>

namespace kroplay {
namespace {

constexpr uint8_t kExtension = 0x21, kImage = 0x2c, kTrailer = 0x3b;
constexpr uint8_t kGraphicControl = 0xf9, kApplication = 0xff;
constexpr uint8_t kHasColourTable = 0x80;
// The screen's colour resolution field: 8 bits a primary.
constexpr uint8_t kColourResolution = 0x70;
// Graphic control flags: the frame stays as drawn under the next one, and
// whether the block names a transparent index.
constexpr uint8_t kLeaveInPlace = 1 << 2, kHasTransparent = 0x01;

void put_u16(std::vector<uint8_t> &out, int32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

}  // namespace

void put_header(std::vector<uint8_t> &out, int32_t width, int32_t height, const Palette &table,
                int bits) {
  static const char kSignature[] = "GIF89a";
  out.insert(out.end(), kSignature, kSignature + 6);
  put_u16(out, width);
  put_u16(out, height);
  out.push_back(static_cast<uint8_t>(kHasColourTable | kColourResolution | (bits - 1)));
  out.push_back(0);  // background colour index
  out.push_back(0);  // pixel aspect ratio: not given
  out.insert(out.end(), table.begin(), table.begin() + (3 << bits));
}

void put_loop_forever(std::vector<uint8_t> &out) {
  static const uint8_t kBlock[] = {kExtension, kApplication, 11,  'N', 'E', 'T', 'S', 'C', 'A', 'P',
                                   'E',        '2',          '.', '0', 3,   1,   0,   0,   0};
  out.insert(out.end(), kBlock, kBlock + sizeof kBlock);
}

void put_image(std::vector<uint8_t> &out, const EncodedImage &image, int delay) {
  const bool transparent = image.transparent >= 0;
  out.insert(out.end(),
             {kExtension, kGraphicControl, 4,
              static_cast<uint8_t>(kLeaveInPlace | (transparent ? kHasTransparent : 0))});
  put_u16(out, delay);
  out.push_back(static_cast<uint8_t>(transparent ? image.transparent : 0xff));
  out.push_back(0);  // end of the extension's sub-blocks

  const Rect &rect = image.rect;
  out.push_back(kImage);
  put_u16(out, rect.left);
  put_u16(out, rect.top);
  put_u16(out, rect.width);
  put_u16(out, rect.height);
  if (image.local_colours.empty()) {
    out.push_back(0);
  } else {
    int bits = 1;
    while ((size_t{3} << bits) < image.local_colours.size()) ++bits;
    out.push_back(static_cast<uint8_t>(kHasColourTable | (bits - 1)));
    out.insert(out.end(), image.local_colours.begin(), image.local_colours.end());
  }
  // The code size, then the codes in sub-blocks of at most 255 bytes.
  out.push_back(static_cast<uint8_t>(image.min_code_size));
  const uint8_t *codes = image.codes.data();
  for (size_t at = 0; at < image.code_length; at += 255) {
    const size_t size = std::min<size_t>(255, image.code_length - at);
    out.push_back(static_cast<uint8_t>(size));
    out.insert(out.end(), codes + at, codes + at + size);
  }
  out.push_back(0);
}

void put_trailer(std::vector<uint8_t> &out) {
  out.push_back(kTrailer);
}

}  // namespace kroplay
