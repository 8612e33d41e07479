#include "kroplay/gif/gif_lzw.h"

#include <algorithm>

namespace kroplay {
namespace {

constexpr int kMaxWidth = 12;
// A full table is checked every this many codes against how it did before
// it filled.
constexpr int kFullTableWindow = 512;

}  // namespace

size_t LzwEncoder::encode(const uint8_t *first, const uint8_t *second, size_t count,
                          int min_code_size, LzwOptions options, size_t limit,
                          std::vector<uint8_t> &out) {
  const size_t entries = size_t{kCodeLimit + 1} << min_code_size;
  if (child_.size() < entries) child_.assign(entries, 0);
  if (run_code_.empty()) run_code_.resize(size_t{kPaletteIndices} * kRunCodes);
  return second != nullptr ? run<true>(first, second, count, min_code_size, options, limit, out)
                           : run<false>(first, nullptr, count, min_code_size, options, limit, out);
}

template <bool kTwoChoices>
size_t LzwEncoder::run(const uint8_t *first, const uint8_t *second, size_t count, int min_code_size,
                       LzwOptions options, size_t limit, std::vector<uint8_t> &out) {
  // At most one code per pixel plus clear codes, 12 bits each.
  const size_t worst = (count + count / 2048 + 4) * kMaxWidth / 8 + 8;
  if (out.size() < worst + 8) out.resize(worst + 8);
  const size_t stop = std::min(limit, worst);
  uint8_t *const begin = out.data();
  uint8_t *at = begin;
  uint64_t bits = 0;
  int bit_count = 0;
  const int shift = min_code_size;
  const uint32_t clear = 1u << min_code_size, end_code = clear + 1;
  int width = min_code_size + 1;
  uint32_t next = clear + 2;
  uint16_t *const child = child_.data();

  auto put = [&](uint32_t code) {
    bits |= uint64_t{code} << bit_count;
    bit_count += width;
    while (bit_count >= 8) {
      *at++ = static_cast<uint8_t>(bits);
      bits >>= 8;
      bit_count -= 8;
    }
  };
  uint16_t *const run_code = run_code_.data();
  auto clear_table = [&] {
    for (uint32_t entry : touched_) child[entry] = 0;
    touched_.clear();
    std::fill(longest_run_, longest_run_ + clear, 1);
  };
  for (uint32_t literal = 0; literal < clear; ++literal) {
    run_length_[literal] = 1;
    run_value_[literal] = static_cast<uint8_t>(literal);
    run_code[literal * kRunCodes + 1] = static_cast<uint16_t>(literal);
  }
  // Since the last clear code: where it was, and once the table filled,
  // pixels per bit until then and the current window of codes.
  size_t cycle_pixel = 0, window_pixel = 0;
  uint64_t cycle_bits = 0;
  double full_rate = 0;
  int window_codes = -1;  // -1: the table is not full

  clear_table();
  put(clear);
  if (count > 0) {
    uint32_t prefix = first[0];
    for (size_t i = 1; i < count; ++i) {
      uint32_t pixel = first[i];
      // Within a run of one value the string grows along the table's runs
      // of it: skip to the longest one there is.
      if (run_length_[prefix] != 0 && run_value_[prefix] == pixel) {
        const uint32_t length = run_length_[prefix], longest = longest_run_[pixel];
        if (length < longest) {
          const size_t end = std::min(count, i + (longest - length));
          size_t j = i;
          while (j < end && first[j] == pixel) ++j;
          prefix = run_code[pixel * kRunCodes + length + (j - i)];
          i = j;
          if (i == count) break;
          pixel = first[i];
        }
      }
      uint32_t code = child[prefix << shift | pixel];
      if (kTwoChoices && code == 0 && second[i] != pixel) {
        code = child[prefix << shift | second[i]];
        if (code != 0) pixel = second[i];
      }
      if (code != 0) {
        prefix = code;
        continue;
      }
      put(prefix);
      if (next >= (1u << width) && width < kMaxWidth) ++width;
      if (next < kCodeLimit) {
        const uint32_t entry = prefix << shift | pixel;
        child[entry] = static_cast<uint16_t>(next);
        touched_.push_back(entry);
        if (run_length_[prefix] != 0 && run_value_[prefix] == pixel) {
          const uint16_t length = static_cast<uint16_t>(run_length_[prefix] + 1);
          run_length_[next] = length;
          run_value_[next] = static_cast<uint8_t>(pixel);
          run_code[pixel * kRunCodes + length] = static_cast<uint16_t>(next);
          longest_run_[pixel] = length;
        } else {
          run_length_[next] = 0;
        }
        ++next;
      } else {
        const uint64_t bits_now = static_cast<uint64_t>(at - begin) * 8 + bit_count;
        bool start_over = !options.keep_full_table;
        if (window_codes < 0) {
          full_rate = double(i - cycle_pixel) / double(bits_now - cycle_bits);
          window_pixel = i;
          window_codes = 0;
        } else if (++window_codes == kFullTableWindow) {
          // The full table no longer does as well as a fresh one did.
          start_over = double(i - window_pixel) / double(kFullTableWindow * kMaxWidth) < full_rate;
          window_pixel = i;
          window_codes = 0;
        }
        if (start_over) {
          put(clear);
          clear_table();
          width = min_code_size + 1;
          next = clear + 2;
          cycle_pixel = i;
          cycle_bits = bits_now;
          window_codes = -1;
        }
      }
      prefix = pixel;
      if (static_cast<size_t>(at - begin) > stop) return 0;
    }
    put(prefix);
    if (next >= (1u << width) && width < kMaxWidth) ++width;
  }
  put(end_code);
  if (bit_count > 0) *at++ = static_cast<uint8_t>(bits);
  const size_t length = static_cast<size_t>(at - begin);
  return length > limit ? 0 : length;
}

}  // namespace kroplay
