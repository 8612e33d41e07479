// GIF's variable-width LZW compression of one image's palette indices. A
// pixel may offer a second index that shows the same thing (a transparent
// pixel over an unchanged one): the encoder takes whichever of the two
// extends the string it is matching, so both cost nothing extra.
#ifndef KROPLAY_GIF_LZW_H
#define KROPLAY_GIF_LZW_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kroplay {

class LzwEncoder {
 public:
  LzwEncoder();

  // Compresses `count` pixels with codes starting at `min_code_size` + 1
  // bits (2..8, as the image's colour table gives it). Pixel i is first[i],
  // or second[i] where `second` is not null. Writes the code stream, without
  // GIF's sub-block framing, into `out`; returns its length, or 0 once it
  // would exceed `limit` bytes (the encoding is then abandoned).
  size_t encode(const uint8_t *first, const uint8_t *second, size_t count, int min_code_size,
                size_t limit, std::vector<uint8_t> &out);

 private:
  void reset_table();
  template <bool kTwoChoices>
  size_t run(const uint8_t *first, const uint8_t *second, size_t count, int min_code_size,
             size_t limit, std::vector<uint8_t> &out);

  // Open addressing: entry = generation << 32 | (prefix << 8 | pixel) << 12 | code.
  std::vector<uint64_t> table_;
  uint64_t generation_ = 0;
};

}  // namespace kroplay

#endif  // KROPLAY_GIF_LZW_H
