#include "kroplay/gif/gif_lzw.h"

#include <algorithm>

namespace kroplay {
namespace {

constexpr int kMaxWidth = 12;
// A full table is checked every this many codes against how it did before
// it filled.
constexpr int kFullTableWindow = 512;

// Packs codes of the current width into bytes, least significant bit first.
class CodeWriter {
 public:
  CodeWriter(uint8_t *begin, int width) : begin_(begin), at_(begin), width_(width) {}

  void put(uint32_t code) {
    bits_ |= uint64_t{code} << bit_count_;
    bit_count_ += width_;
    while (bit_count_ >= 8) {
      *at_++ = static_cast<uint8_t>(bits_);
      bits_ >>= 8;
      bit_count_ -= 8;
    }
  }
  // One bit more once `next_code` no longer fits, up to 12.
  void widen_for(uint32_t next_code) {
    if (next_code >= (1u << width_) && width_ < kMaxWidth) ++width_;
  }
  void set_width(int width) { width_ = width; }
  size_t bytes() const { return static_cast<size_t>(at_ - begin_); }
  uint64_t bits() const { return uint64_t{bytes()} * 8 + static_cast<unsigned>(bit_count_); }
  // Writes out the last partial byte; returns the stream's length.
  size_t finish() {
    if (bit_count_ > 0) *at_++ = static_cast<uint8_t>(bits_);
    bit_count_ = 0;
    return bytes();
  }

 private:
  uint8_t *const begin_;
  uint8_t *at_;
  uint64_t bits_ = 0;
  int bit_count_ = 0;
  int width_;
};

// When a full table gives way to a clear code: at once (giflib's way), or,
// when it is kept, once a window of codes made with it packs fewer pixels
// per bit than the table did from its last clear until it filled.
class FullTableRule {
 public:
  explicit FullTableRule(bool keep_full_table) : keep_(keep_full_table) {}

  // The table was cleared before pixel `pixel`, `bits` into the stream.
  void cleared(size_t pixel, uint64_t bits) {
    cycle_pixel_ = pixel;
    cycle_bits_ = bits;
    window_codes_ = -1;
  }
  // A code was written before pixel `pixel` with the table full.
  bool start_over(size_t pixel, uint64_t bits) {
    bool start_over = !keep_;
    if (window_codes_ < 0) {
      full_rate_ = double(pixel - cycle_pixel_) / double(bits - cycle_bits_);
      window_pixel_ = pixel;
      window_codes_ = 0;
    } else if (++window_codes_ == kFullTableWindow) {
      start_over =
          double(pixel - window_pixel_) / double(kFullTableWindow * kMaxWidth) < full_rate_;
      window_pixel_ = pixel;
      window_codes_ = 0;
    }
    return start_over;
  }

 private:
  const bool keep_;
  // Since the last clear code: where it was, and once the table filled,
  // pixels per bit until then and the current window of codes.
  size_t cycle_pixel_ = 0, window_pixel_ = 0;
  uint64_t cycle_bits_ = 0;
  double full_rate_ = 0;
  int window_codes_ = -1;  // -1: the table is not full
};

}  // namespace

size_t LzwEncoder::encode(const uint8_t *first, const uint8_t *second, size_t count,
                          int min_code_size, LzwOptions options, size_t limit,
                          std::vector<uint8_t> &out) {
  const size_t entries = size_t{kCodeLimit + 1} << min_code_size;
  if (child_.size() < entries) child_.assign(entries, 0);
  if (run_code_.empty()) run_code_.resize(size_t{kPaletteIndices} * kRunCodes);
  shift_ = min_code_size;
  clear_code_ = 1u << min_code_size;
  for (uint32_t literal = 0; literal < clear_code_; ++literal) {
    run_length_[literal] = 1;
    run_value_[literal] = static_cast<uint8_t>(literal);
    run_code_[literal * kRunCodes + 1] = static_cast<uint16_t>(literal);
  }
  return second != nullptr
             ? compress<true>(first, second, count, min_code_size, options, limit, out)
             : compress<false>(first, nullptr, count, min_code_size, options, limit, out);
}

template <bool kTwoChoices>
size_t LzwEncoder::compress(const uint8_t *first, const uint8_t *second, size_t count,
                            int min_code_size, LzwOptions options, size_t limit,
                            std::vector<uint8_t> &out) {
  // At most one code per pixel plus clear codes, 12 bits each.
  const size_t worst = (count + count / 2048 + 4) * kMaxWidth / 8 + 8;
  if (out.size() < worst + 8) out.resize(worst + 8);
  const size_t stop = std::min(limit, worst);
  CodeWriter writer(out.data(), min_code_size + 1);
  FullTableRule full_table(options.keep_full_table);

  start_table();
  writer.put(clear_code_);
  if (count > 0) {
    uint32_t prefix = first[0];
    for (size_t i = 1; i < count; ++i) {
      uint32_t pixel = first[i];
      if (continues_run(prefix, pixel)) {
        i = follow_run(first, count, i, prefix);
        if (i == count) break;
        pixel = first[i];
      }
      const uint32_t code = longer_string<kTwoChoices>(prefix, pixel, kTwoChoices ? second[i] : 0);
      if (code != 0) {
        prefix = code;
        continue;
      }
      writer.put(prefix);
      writer.widen_for(next_code_);
      if (next_code_ < kCodeLimit) {
        add_string(prefix, pixel);
      } else if (const uint64_t bits = writer.bits(); full_table.start_over(i, bits)) {
        writer.put(clear_code_);
        writer.set_width(min_code_size + 1);
        start_table();
        full_table.cleared(i, bits);
      }
      prefix = pixel;
      if (writer.bytes() > stop) return 0;
    }
    writer.put(prefix);
    writer.widen_for(next_code_);
  }
  writer.put(clear_code_ + 1);  // the end code
  const size_t length = writer.finish();
  return length > limit ? 0 : length;
}

void LzwEncoder::start_table() {
  for (uint32_t entry : touched_) child_[entry] = 0;
  touched_.clear();
  std::fill(longest_run_, longest_run_ + clear_code_, 1);
  next_code_ = clear_code_ + 2;
}

inline bool LzwEncoder::continues_run(uint32_t prefix, uint32_t pixel) const {
  return run_length_[prefix] != 0 && run_value_[prefix] == pixel;
}

inline size_t LzwEncoder::follow_run(const uint8_t *first, size_t count, size_t i,
                                     uint32_t &prefix) const {
  const uint32_t pixel = first[i];
  const uint32_t length = run_length_[prefix], longest = longest_run_[pixel];
  if (length >= longest) return i;
  const size_t end = std::min(count, i + (longest - length));
  size_t j = i;
  while (j < end && first[j] == pixel) ++j;
  prefix = run_code_[pixel * kRunCodes + length + (j - i)];
  return j;
}

template <bool kTwoChoices>
inline uint32_t LzwEncoder::longer_string(uint32_t prefix, uint32_t &pixel,
                                          uint32_t alternative) const {
  const uint32_t code = child_[prefix << shift_ | pixel];
  if (!kTwoChoices || code != 0 || alternative == pixel) return code;
  const uint32_t other = child_[prefix << shift_ | alternative];
  if (other != 0) pixel = alternative;
  return other;
}

inline void LzwEncoder::add_string(uint32_t prefix, uint32_t pixel) {
  const uint32_t entry = prefix << shift_ | pixel;
  child_[entry] = static_cast<uint16_t>(next_code_);
  touched_.push_back(entry);
  if (continues_run(prefix, pixel)) {
    const uint16_t length = static_cast<uint16_t>(run_length_[prefix] + 1);
    run_length_[next_code_] = length;
    run_value_[next_code_] = static_cast<uint8_t>(pixel);
    run_code_[pixel * kRunCodes + length] = static_cast<uint16_t>(next_code_);
    longest_run_[pixel] = length;
  } else {
    run_length_[next_code_] = 0;
  }
  ++next_code_;
}

}  // namespace kroplay
