// The host's 256-entry RGB palette and the built-in palettes a script can
// pick by name.
#ifndef KROPLAY_PALETTES_H
#define KROPLAY_PALETTES_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kroplay {

constexpr int kPaletteEntries = 256;

// Entry i is the bytes red, green, blue at 3i, 3i+1, 3i+2.
using Palette = std::array<uint8_t, 3 * kPaletteEntries>;

// Entry `index` as one number, 0xRRGGBB, so colours compare in one step.
inline uint32_t colour_at(const Palette &palette, int index) {
  return uint32_t{palette[3 * index]} << 16 | uint32_t{palette[3 * index + 1]} << 8 |
         palette[3 * index + 2];
}

// Names of the built-in palettes; the first is the one a host starts with.
const std::vector<std::string> &palette_names();

// Fills `out` with the built-in palette `name`; false if there is none.
bool builtin_palette(const std::string &name, Palette &out);

// The palette a host starts with: 16 system colours, a 6x6x6 colour cube
// (entries 16..231: 16 + 36r + 6g + b) and 24 greys (232..255).
Palette default_palette();

}  // namespace kroplay

#endif  // KROPLAY_PALETTES_H
