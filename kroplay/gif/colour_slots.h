// The GIF's global colour table, filled as frames are written: each colour
// gets the next free entry the first time a frame writes it, so the colours
// used early and often sit at small indices, and frames that use few of
// them are encoded with short codes. The table is written into the file's
// header once the file is complete.
#ifndef KROPLAY_COLOUR_SLOTS_H
#define KROPLAY_COLOUR_SLOTS_H

#include <array>
#include <cstdint>

#include "kroplay/base/palettes.h"

namespace kroplay {

class ColourSlots {
 public:
  ColourSlots() { key_.fill(kEmpty); }

  // The entry of `colour` (0xRRGGBB), or -1 if it has none.
  int find(uint32_t colour) const {
    for (uint32_t at = hash(colour);; at = (at + 1) % kKeys)
      if (key_[at] == colour)
        return slot_[at];
      else if (key_[at] == kEmpty)
        return -1;
  }
  // Gives `colour` the next free entry; the caller checks free_entries().
  int add(uint32_t colour) {
    uint32_t at = hash(colour);
    while (key_[at] != kEmpty) at = (at + 1) % kKeys;
    key_[at] = colour;
    slot_[at] = static_cast<uint8_t>(used_);
    table_[3 * used_] = static_cast<uint8_t>(colour >> 16);
    table_[3 * used_ + 1] = static_cast<uint8_t>(colour >> 8);
    table_[3 * used_ + 2] = static_cast<uint8_t>(colour);
    return used_++;
  }
  int free_entries() const { return kPaletteEntries - used_; }
  // The table as it goes into the file; unused entries black.
  const Palette &table() const { return table_; }

 private:
  static constexpr int kKeys = 2 * kPaletteEntries;
  static constexpr uint32_t kEmpty = 0xffffffff;  // no 24-bit colour
  static uint32_t hash(uint32_t colour) { return (colour * 2654435761u >> 16) % kKeys; }

  std::array<uint32_t, kKeys> key_;
  std::array<uint8_t, kKeys> slot_{};
  Palette table_{};
  int used_ = 0;
};

}  // namespace kroplay

#endif  // KROPLAY_COLOUR_SLOTS_H
