#include "gif_lzw.h"

#include <algorithm>

namespace kroplay {
namespace {

constexpr int kTableBits = 13;  // twice GIF's 4096 codes: probes stay short
constexpr uint32_t kTableMask = (1u << kTableBits) - 1;
// The last code giflib hands out before it sends a clear code; decoders
// accept a table that full.
constexpr uint32_t kLastCode = 4095;

inline uint32_t slot_of(uint32_t key) {
  return (key * 2654435761u) >> (32 - kTableBits);
}

}  // namespace

LzwEncoder::LzwEncoder() : table_(size_t{1} << kTableBits, 0) {}

// A new generation empties the table without touching it; after 2^32
// generations it is cleared for real.
void LzwEncoder::reset_table() {
  if (++generation_ == (uint64_t{1} << 32)) {
    std::fill(table_.begin(), table_.end(), 0);
    generation_ = 1;
  }
}

size_t LzwEncoder::encode(const uint8_t *first, const uint8_t *second, size_t count,
                          int min_code_size, size_t limit, std::vector<uint8_t> &out) {
  return second != nullptr ? run<true>(first, second, count, min_code_size, limit, out)
                           : run<false>(first, nullptr, count, min_code_size, limit, out);
}

template <bool kTwoChoices>
size_t LzwEncoder::run(const uint8_t *first, const uint8_t *second, size_t count, int min_code_size,
                       size_t limit, std::vector<uint8_t> &out) {
  // At most one code per pixel plus clear codes, 12 bits each.
  const size_t worst = (count + count / 4000 + 4) * 12 / 8 + 8;
  if (out.size() < worst + 8) out.resize(worst + 8);
  const size_t stop = std::min(limit, worst);
  uint8_t *const begin = out.data();
  uint8_t *at = begin;
  uint64_t bits = 0;
  int bit_count = 0;
  const uint32_t clear = 1u << min_code_size, end_code = clear + 1;
  int width = min_code_size + 1;
  uint32_t next = clear + 2;

  auto put = [&](uint32_t code) {
    bits |= uint64_t{code} << bit_count;
    bit_count += width;
    while (bit_count >= 8) {
      *at++ = static_cast<uint8_t>(bits);
      bits >>= 8;
      bit_count -= 8;
    }
  };
  // The code `prefix` followed by `pixel`, or -1.
  auto find = [&](uint32_t key) -> int32_t {
    for (uint32_t slot = slot_of(key);; slot = (slot + 1) & kTableMask) {
      const uint64_t entry = table_[slot];
      if ((entry >> 32) != generation_) return -1;
      if (((entry >> 12) & 0xfffff) == key) return static_cast<int32_t>(entry & 0xfff);
    }
  };
  auto insert = [&](uint32_t key, uint32_t code) {
    uint32_t slot = slot_of(key);
    while ((table_[slot] >> 32) == generation_) slot = (slot + 1) & kTableMask;
    table_[slot] = generation_ << 32 | uint64_t{key} << 12 | code;
  };

  reset_table();
  put(clear);
  if (count == 0) {
    put(end_code);
  } else {
    uint32_t prefix = first[0];
    for (size_t i = 1; i < count; ++i) {
      const uint32_t pixel = first[i];
      int32_t code = find(prefix << 8 | pixel);
      if (kTwoChoices && code < 0 && second[i] != pixel) code = find(prefix << 8 | second[i]);
      if (code >= 0) {
        prefix = static_cast<uint32_t>(code);
        continue;
      }
      put(prefix);
      if (next >= (1u << width) && width < 12) ++width;
      if (next >= kLastCode) {
        put(clear);
        reset_table();
        width = min_code_size + 1;
        next = clear + 2;
      } else {
        insert(prefix << 8 | pixel, next++);
      }
      prefix = pixel;  // a new string starts with the first choice
      if (static_cast<size_t>(at - begin) > stop) return 0;
    }
    put(prefix);
    if (next >= (1u << width) && width < 12) ++width;
    put(end_code);
  }
  if (bit_count > 0) *at++ = static_cast<uint8_t>(bits);
  const size_t length = static_cast<size_t>(at - begin);
  return length > limit ? 0 : length;
}

}  // namespace kroplay
