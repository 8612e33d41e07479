// Reads a picture from the bytes of a GIF: its first frame, its offset, its
// colour table, background colour and transparent index.
#ifndef KROPLAY_GIF_LOADER_H
#define KROPLAY_GIF_LOADER_H

#include <cstdint>
#include <vector>

#include "kroplay/base/picture.h"

namespace kroplay {

// The GIF's first frame. Throws std::runtime_error with the reason (giflib's,
// or "truncated or malformed file" where it gives none).
Picture decode_gif(const std::vector<uint8_t> &bytes);

}  // namespace kroplay

#endif  // KROPLAY_GIF_LOADER_H
