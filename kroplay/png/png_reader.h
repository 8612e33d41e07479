// Reads a picture from the bytes of an indexed (palette) PNG.
#ifndef KROPLAY_PNG_READER_H
#define KROPLAY_PNG_READER_H

#include <cstdint>
#include <vector>

#include "kroplay/base/picture.h"

namespace kroplay {

// The PNG's image, of 1, 2, 4 or 8 bits per index, with its PLTE as the
// colours, its bKGD index (else 0) as the background and the first
// palette entry its tRNS makes fully transparent as the transparent index.
// A PNG of any other colour type is refused: its colours are not palette
// indices. Throws std::runtime_error with the reason.
Picture decode_png(const std::vector<uint8_t> &bytes);

}  // namespace kroplay

#endif  // KROPLAY_PNG_READER_H
