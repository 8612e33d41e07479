// Writes small PNGs with libpng, for tests: palette images with the chunks
// kroplay reads (PLTE, tRNS, bKGD), or other colour types to be refused.
#ifndef WAVEFX_TESTS_PNG_WRITING_H
#define WAVEFX_TESTS_PNG_WRITING_H

#include <cstdint>
#include <string>
#include <vector>

struct PngToWrite {
  int width = 0, height = 0;
  int color_type = 3;  // PNG_COLOR_TYPE_PALETTE
  int bit_depth = 8;
  bool interlaced = false;
  std::vector<uint8_t> pixels;   // one byte per index (or sample), row by row
  std::vector<uint8_t> palette;  // PLTE entries as RGB triples
  std::vector<uint8_t> alphas;   // tRNS: alpha of the first palette entries
  int background = -1;           // bKGD palette index, -1 for none
};

// Empty on success, else what went wrong.
std::string write_png(const std::string &path, const PngToWrite &png);

#endif  // WAVEFX_TESTS_PNG_WRITING_H
