#include "frame_encoder.h"

#include <algorithm>
#include <cstring>

namespace kroplay {
namespace {

// The fewest bits that number `count` table entries (at least 1: GIF's
// smallest table has two).
int bits_for(int count) {
  int bits = 1;
  while ((1 << bits) < count) ++bits;
  return bits;
}

}  // namespace

void FrameEncoder::gather(const uint8_t *pixels, const Palette &palette, const uint8_t *shown,
                          const Palette &shown_palette, int32_t width, const Rect &rect) {
  const size_t count = static_cast<size_t>(rect.width) * static_cast<size_t>(rect.height);
  actual_.resize(count);
  changed_.assign(count, 1);
  const size_t stride = static_cast<size_t>(width), w = static_cast<size_t>(rect.width);
  for (int32_t y = 0; y < rect.height; ++y) {
    const size_t from = static_cast<size_t>(rect.top + y) * stride + static_cast<size_t>(rect.left);
    std::memcpy(&actual_[y * w], pixels + from, w);
    if (shown == nullptr) continue;
    uint8_t *changed = &changed_[y * w];
    const uint8_t *now = pixels + from, *before = shown + from;
    if (palette == shown_palette) {
      for (size_t x = 0; x < w; ++x) changed[x] = now[x] != before[x];
    } else {
      for (size_t x = 0; x < w; ++x)
        changed[x] = colour_at(palette, now[x]) != colour_at(shown_palette, before[x]);
    }
  }
  std::fill(std::begin(used_), std::end(used_), false);
  for (size_t i = 0; i < count; ++i)
    if (changed_[i]) used_[actual_[i]] = true;
  used_count_ = static_cast<int>(std::count(std::begin(used_), std::end(used_), true));
}

const EncodedImage &FrameEncoder::encode(const uint8_t *pixels, const Palette &palette,
                                         const uint8_t *shown, const Palette &shown_palette,
                                         int32_t width, const Rect &rect, const Palette &global) {
  gather(pixels, palette, shown, shown_palette, width, rect);
  const bool have_unchanged = std::find(changed_.begin(), changed_.end(), 0) != changed_.end();
  have_best_ = false;
  best_.rect = candidate_.rect = rect;
  if (palette == global) encode_with_global_table(have_unchanged);
  encode_with_local_table(palette, have_unchanged);
  return best_;
}

void FrameEncoder::encode_with_global_table(bool have_unchanged) {
  static const std::vector<uint8_t> kNoTable;
  first_ = actual_;
  try_candidate(false, -1, 8, kNoTable);
  if (!have_unchanged || used_count_ == kPaletteEntries) return;
  // Any index no changed pixel uses can mean "unchanged".
  const int transparent =
      static_cast<int>(std::find(std::begin(used_), std::end(used_), false) - std::begin(used_));
  const size_t count = actual_.size();
  second_.resize(count);
  for (size_t i = 0; i < count; ++i)
    second_[i] = changed_[i] ? actual_[i] : static_cast<uint8_t>(transparent);
  try_candidate(true, transparent, 8, kNoTable);
  // The same choices, "unchanged" preferred where a string starts.
  first_.swap(second_);
  try_candidate(true, transparent, 8, kNoTable);
}

void FrameEncoder::encode_with_local_table(const Palette &palette, bool have_unchanged) {
  // The changed pixels' colours, in index order, then "unchanged" if room.
  uint8_t slot_of[kPaletteEntries];
  std::vector<uint8_t> colours;
  int slots = 0;
  for (int index = 0; index < kPaletteEntries; ++index)
    if (used_[index]) {
      slot_of[index] = static_cast<uint8_t>(slots++);
      colours.insert(colours.end(), palette.begin() + 3 * index, palette.begin() + 3 * index + 3);
    }
  const bool transparency = have_unchanged && slots < kPaletteEntries;
  const int transparent = transparency ? slots++ : -1;
  if (have_unchanged && !transparency) {
    // All 256 colours change somewhere: the table is the palette itself.
    colours.assign(palette.begin(), palette.end());
    for (int index = 0; index < kPaletteEntries; ++index)
      slot_of[index] = static_cast<uint8_t>(index);
  }
  const int bits = bits_for(slots);
  colours.resize(size_t{3} << bits, 0);
  const size_t count = actual_.size();
  first_.resize(count);
  second_.resize(count);
  bool two_choices = false;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t index = actual_[i];
    if (changed_[i] || !transparency) {
      first_[i] = second_[i] = slot_of[index];
    } else {
      // An unchanged pixel: "unchanged", or its own colour when the table has it.
      first_[i] = static_cast<uint8_t>(transparent);
      second_[i] = used_[index] ? slot_of[index] : first_[i];
      two_choices = true;
    }
  }
  try_candidate(two_choices, transparent, std::max(2, bits), colours);
}

void FrameEncoder::try_candidate(bool two_choices, int transparent, int min_code_size,
                                 const std::vector<uint8_t> &local_colours) {
  // Abandon a candidate as soon as it cannot beat the best one.
  size_t limit = SIZE_MAX;
  if (have_best_) {
    const size_t best = best_.stored_size();
    if (best <= local_colours.size()) return;
    limit = (best - local_colours.size()) * 255 / 256;
  }
  const size_t length = lzw_.encode(first_.data(), two_choices ? second_.data() : nullptr,
                                    first_.size(), min_code_size, limit, candidate_.codes);
  if (length == 0) return;
  candidate_.code_length = length;
  candidate_.transparent = transparent;
  candidate_.min_code_size = min_code_size;
  candidate_.local_colours = local_colours;
  if (!have_best_ || candidate_.stored_size() < best_.stored_size()) {
    std::swap(best_, candidate_);
    have_best_ = true;
  }
}

}  // namespace kroplay
