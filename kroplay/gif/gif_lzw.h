// GIF's variable-width LZW compression of one image's palette indices. A
// pixel may offer a second index that shows the same thing (a transparent
// pixel over an unchanged one): the encoder takes whichever of the two
// extends the string it is matching, so the choice costs nothing extra.
#ifndef KROPLAY_GIF_LZW_H
#define KROPLAY_GIF_LZW_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kroplay {

struct LzwOptions {
  // Once the code table is full: false clears it at once, as giflib does;
  // true keeps it while its strings still pay (GIF decoders accept a full
  // table until the next clear code).
  bool keep_full_table = false;
};

class LzwEncoder {
 public:
  // Compresses `count` pixels with codes starting at `min_code_size` + 1
  // bits (2..8; every pixel below 2^min_code_size). Pixel i is first[i], or
  // second[i] where `second` is not null. Writes the code stream, without
  // GIF's sub-block framing, into `out`; returns its length, or 0 once it
  // would exceed `limit` bytes (the encoding is then abandoned).
  size_t encode(const uint8_t *first, const uint8_t *second, size_t count, int min_code_size,
                LzwOptions options, size_t limit, std::vector<uint8_t> &out);

 private:
  template <bool kTwoChoices>
  size_t compress(const uint8_t *first, const uint8_t *second, size_t count, int min_code_size,
                  LzwOptions options, size_t limit, std::vector<uint8_t> &out);

  // An empty table: the literals only, codes from clear + 2 on.
  void start_table();
  // Whether `prefix` + `pixel` continues a string of one value repeated.
  bool continues_run(uint32_t prefix, uint32_t pixel) const;
  // Moves `prefix`, a run of first[i]'s value, to the longest run of that
  // value the table holds that the pixels from i on still match; returns the
  // first pixel it does not cover.
  size_t follow_run(const uint8_t *first, size_t count, size_t i, uint32_t &prefix) const;
  // The code of `prefix` + `pixel`, or with `alternative` in its place
  // (which `pixel` then becomes) when only that is in the table; 0: neither.
  template <bool kTwoChoices>
  uint32_t longer_string(uint32_t prefix, uint32_t &pixel, uint32_t alternative) const;
  // Gives `prefix` + `pixel` the next code.
  void add_string(uint32_t prefix, uint32_t pixel);

  // The encoding under way: pixels' bits, the clear code and the next free code.
  int shift_ = 0;
  uint32_t clear_code_ = 0;
  uint32_t next_code_ = 0;

  // The code of the string `prefix` + `pixel` at [prefix << min_code_size |
  // pixel], 0 where there is none; `touched_` lists the entries to clear.
  std::vector<uint16_t> child_;
  std::vector<uint32_t> touched_;
  // Strings of one value repeated: each code's length as such (0: it is
  // not one) and value; the code of each length of each value, and the
  // longest.
  static constexpr uint32_t kCodeLimit = 4095;  // giflib's: codes stay below it
  static constexpr uint32_t kRunCodes = kCodeLimit + 1;
  static constexpr uint32_t kPaletteIndices = 256;
  uint16_t run_length_[kRunCodes] = {};
  uint8_t run_value_[kRunCodes] = {};
  std::vector<uint16_t> run_code_;  // [value * kRunCodes + length]
  uint16_t longest_run_[kPaletteIndices] = {};
};

}  // namespace kroplay

#endif  // KROPLAY_GIF_LZW_H
