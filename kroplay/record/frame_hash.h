// A 64-bit fingerprint of a frame, so runs can be compared and golden values
// kept: FNV-1a over the palette indices, row after row, then over the 768
// palette bytes.
#ifndef KROPLAY_FRAME_HASH_H
#define KROPLAY_FRAME_HASH_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "kroplay/base/palettes.h"

namespace kroplay {

uint64_t frame_hash(const uint8_t *pixels, size_t count, const Palette &palette);

// Writes the --hash line of frame `number` (from 0): "frame N HHHHHHHHHHHHHHHH".
void write_hash_line(std::FILE *out, int64_t number, uint64_t hash);

}  // namespace kroplay

#endif  // KROPLAY_FRAME_HASH_H
