#include "kroplay/picture/sprite_colours.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "kroplay/base/quoted.h"

namespace kroplay {
namespace {

// Indices named in the note; more would not fit on a line.
constexpr int kNamedIndices = 3;

std::string hex_colour(uint32_t rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(rgb));
  return text;
}

}  // namespace

SpriteColours::SpriteColours(std::string name, const Picture &picture) : name_(std::move(name)) {
  const size_t table = std::min(picture.colours.size(), own_.size());
  std::copy(picture.colours.begin(), picture.colours.begin() + static_cast<ptrdiff_t>(table),
            own_.begin());
  // An index past the picture's table has no colour of its own to compare.
  for (const uint8_t index : picture.pixels)
    if (index != picture.transparent && 3u * index < table) compared_.set(index);
}

std::string SpriteColours::note_once(const Palette &palette) {
  if (noted_) return "";
  std::string differing;
  int named = 0, count = 0;
  for (int index = 0; index < kPaletteEntries; ++index) {
    if (!compared_[static_cast<size_t>(index)]) continue;
    const uint32_t shown = colour_at(palette, index), own = colour_at(own_, index);
    if (shown == own) continue;
    ++count;
    if (named++ == kNamedIndices) continue;
    differing += (differing.empty() ? "" : ", ") + std::to_string(index) + " (" +
                 hex_colour(shown) + " in the palette, " + hex_colour(own) + " in the picture)";
  }
  if (count == 0) return "";
  noted_ = true;
  if (count > kNamedIndices) differing += " and " + std::to_string(count - kNamedIndices) + " more";
  return "note: sprite " + quoted(name_) +
         " takes its colours from the palette by index, and the palette differs from the "
         "picture's own colours at " +
         differing +
         "; load_picture(path, true) copies the picture's colours into the palette "
         "(docs/colours.md)";
}

}  // namespace kroplay
