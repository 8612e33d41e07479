#include "kroplay/gif/frame_encoder.h"

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
  const size_t w = static_cast<size_t>(rect.width);
  const size_t count = w * static_cast<size_t>(rect.height);
  actual_.resize(count);
  changed_.resize(count);
  uint32_t old_colours[kPaletteEntries], new_colours[kPaletteEntries];
  const bool same_palette = shown == nullptr || palette == shown_palette;
  if (!same_palette)
    for (int i = 0; i < kPaletteEntries; ++i) {
      old_colours[i] = colour_at(shown_palette, i);
      new_colours[i] = colour_at(palette, i);
    }
  bool seen[2][kPaletteEntries] = {};
  size_t changed_count = 0;
  for (int32_t y = 0; y < rect.height; ++y) {
    const size_t from = static_cast<size_t>(rect.top + y) * static_cast<size_t>(width) +
                        static_cast<size_t>(rect.left);
    const uint8_t *now = pixels + from;
    uint8_t *row = &actual_[static_cast<size_t>(y) * w];
    uint8_t *changed = &changed_[static_cast<size_t>(y) * w];
    std::memcpy(row, now, w);
    if (shown == nullptr) {
      std::fill(changed, changed + w, 1);
    } else if (same_palette) {
      const uint8_t *before = shown + from;
      for (size_t x = 0; x < w; ++x) changed[x] = now[x] != before[x];
    } else {
      const uint8_t *before = shown + from;
      for (size_t x = 0; x < w; ++x) changed[x] = new_colours[now[x]] != old_colours[before[x]];
    }
    for (size_t x = 0; x < w; ++x) changed_count += changed[x];
    for (size_t x = 0; x < w; ++x) seen[changed[x]][row[x]] = true;
  }
  for (int i = 0; i < kPaletteEntries; ++i) {
    in_unchanged_[i] = seen[0][i];
    in_changed_[i] = seen[1][i];
  }
  unchanged_count_ = count - changed_count;
}

bool FrameEncoder::choose_global_table(const Palette &palette, ColourSlots &global) {
  // The changed pixels' colours that have no entry yet, once each.
  uint32_t fresh[kPaletteEntries];
  int fresh_count = 0;
  for (int index = 0; index < kPaletteEntries; ++index) {
    if (!in_changed_[index]) continue;
    const uint32_t colour = colour_at(palette, index);
    if (global.find(colour) < 0 &&
        std::find(fresh, fresh + fresh_count, colour) == fresh + fresh_count)
      fresh[fresh_count++] = colour;
  }
  if (fresh_count > global.free_entries()) return false;
  for (int n = 0; n < fresh_count; ++n) global.add(fresh[n]);
  bool taken[kPaletteEntries] = {};
  int highest = 0;
  for (int index = 0; index < kPaletteEntries; ++index) {
    in_table_[index] = in_changed_[index];
    if (!in_table_[index]) continue;
    const int slot = global.find(colour_at(palette, index));
    slot_of_[index] = static_cast<uint8_t>(slot);
    taken[slot] = true;
    highest = std::max(highest, slot);
  }
  // "Unchanged" takes the first entry no changed pixel uses.
  transparent_ = -1;
  if (unchanged_count_ > 0) {
    const bool *free_entry = std::find(taken, taken + kPaletteEntries, false);
    if (free_entry != taken + kPaletteEntries) {
      transparent_ = static_cast<int>(free_entry - taken);
      highest = std::max(highest, transparent_);
    }
  }
  const int bits = bits_for(highest + 1);
  // Unchanged pixels may be written as themselves where their colour has an
  // entry within those bits.
  for (int index = 0; index < kPaletteEntries; ++index) {
    if (!in_unchanged_[index] || in_table_[index]) continue;
    const int slot = global.find(colour_at(palette, index));
    if (slot < 0 || slot >= (1 << bits)) {
      if (transparent_ < 0) return false;  // no "unchanged" to write it as
      continue;
    }
    in_table_[index] = true;
    slot_of_[index] = static_cast<uint8_t>(slot);
  }
  colours_.clear();
  min_code_size_ = std::max(2, bits);
  return true;
}

void FrameEncoder::choose_local_table(const Palette &palette) {
  // The changed pixels' colours, in index order, then "unchanged".
  int slots = 0;
  for (int index = 0; index < kPaletteEntries; ++index) {
    in_table_[index] = in_changed_[index];
    if (in_table_[index]) slot_of_[index] = static_cast<uint8_t>(slots++);
  }
  transparent_ = unchanged_count_ > 0 && slots < kPaletteEntries ? slots++ : -1;
  const int bits = bits_for(slots);
  // Room left in the table: colours of unchanged pixels, which may then be
  // written as themselves.
  for (int index = 0; index < kPaletteEntries && slots < (1 << bits); ++index)
    if (!in_table_[index] && in_unchanged_[index]) {
      in_table_[index] = true;
      slot_of_[index] = static_cast<uint8_t>(slots++);
    }
  colours_.assign(size_t{3} << bits, 0);
  for (int index = 0; index < kPaletteEntries; ++index)
    if (in_table_[index])
      std::memcpy(&colours_[3 * size_t{slot_of_[index]}], &palette[3 * size_t(index)], 3);
  min_code_size_ = std::max(2, bits);
}

void FrameEncoder::map_pixels() {
  const size_t count = actual_.size();
  own_.resize(count);
  second_.resize(count);
  unchanged_run_.resize(count);
  // Plain pointers: stores through the vectors' own would make the compiler
  // reload them for every pixel.
  const uint8_t *actual = actual_.data(), *changed = changed_.data();
  uint8_t *own = own_.data(), *second = second_.data(), *run = unchanged_run_.data();
  const uint8_t transparent = static_cast<uint8_t>(transparent_);
  uint8_t own_of[kPaletteEntries];
  for (int index = 0; index < kPaletteEntries; ++index)
    own_of[index] = in_table_[index] ? slot_of_[index] : transparent;
  // Second choices, the same for every candidate: "unchanged" for
  // unchanged pixels.
  for (size_t i = 0; i < count; ++i) {
    own[i] = own_of[actual[i]];
    second[i] = changed[i] ? own[i] : transparent;
  }
  // A run's length at each of its pixels: the pixels from there to its end
  // (counted from the end of the rectangle), plus those from its start.
  unsigned to_end = 0;
  for (size_t i = count; i-- > 0;) {
    to_end = changed[i] ? 0 : std::min(to_end + 1, 255u);
    run[i] = static_cast<uint8_t>(to_end);
  }
  unsigned from_start = 0;
  for (size_t i = 0; i < count; ++i) {
    from_start = changed[i] ? 0 : std::min(from_start + 1, 255u);
    const unsigned length = run[i] + from_start;
    run[i] = static_cast<uint8_t>(std::min(length - (length != 0), 255u));
  }
}

void FrameEncoder::prepare(int long_run) {
  const size_t count = actual_.size();
  first_.resize(count);
  const uint8_t transparent = static_cast<uint8_t>(transparent_);
  const uint8_t threshold = static_cast<uint8_t>(std::clamp(long_run, 1, 255));
  const uint8_t *own = own_.data(), *run = unchanged_run_.data();
  uint8_t *first = first_.data();
  for (size_t i = 0; i < count; ++i) first[i] = run[i] >= threshold ? transparent : own[i];
}

const EncodedImage &FrameEncoder::encode(const uint8_t *pixels, const Palette &palette,
                                         const uint8_t *shown, const Palette &shown_palette,
                                         int32_t width, const Rect &rect, ColourSlots &global) {
  // How the candidates differ: which unchanged runs count as long (see
  // prepare), and what the LZW coder does with a full table. Chosen by the
  // sizes of the recordings in bench/recordings.
  struct Candidate {
    int long_run;
    bool keep_full_table;
  };
  static constexpr Candidate kCandidates[] = {{64, true}, {8, false}};

  gather(pixels, palette, shown, shown_palette, width, rect);
  if (!choose_global_table(palette, global)) choose_local_table(palette);
  map_pixels();
  have_best_ = false;
  best_.rect = candidate_.rect = rect;
  for (const Candidate &candidate : kCandidates) {
    if (transparent_ >= 0) prepare(candidate.long_run);
    LzwOptions options;
    options.keep_full_table = candidate.keep_full_table;
    try_candidate(options);
  }
  return best_;
}

void FrameEncoder::try_candidate(LzwOptions options) {
  // Abandon a candidate as soon as it cannot beat the best one.
  const size_t limit = have_best_ ? best_.stored_size() - colours_.size() : SIZE_MAX;
  const bool two_choices = transparent_ >= 0;
  const size_t length =
      lzw_.encode(two_choices ? first_.data() : own_.data(), two_choices ? second_.data() : nullptr,
                  own_.size(), min_code_size_, options, limit, candidate_.codes);
  if (length == 0) return;
  candidate_.code_length = length;
  candidate_.transparent = transparent_;
  candidate_.min_code_size = min_code_size_;
  candidate_.local_colours = colours_;
  if (!have_best_ || candidate_.stored_size() < best_.stored_size()) {
    std::swap(best_, candidate_);
    have_best_ = true;
  }
}

}  // namespace kroplay
