// Reads a PNG back with libpng, for tests: its colour type, the palette
// indices and PLTE of a palette image, or the RGB bytes of an RGB one.
#ifndef WAVEFX_TESTS_PNG_READING_H
#define WAVEFX_TESTS_PNG_READING_H

#include <cstdint>
#include <string>
#include <vector>

struct ReadPng {
  int width = 0, height = 0;
  bool indexed = false;
  int bit_depth = 0;
  std::vector<uint8_t> palette;  // PLTE entries as RGB triples (indexed only)
  std::vector<uint8_t> pixels;   // indices, or RGB triples, row by row
};

// Empty on success, else what went wrong.
std::string read_png(const std::string &path, ReadPng &png);

#endif  // WAVEFX_TESTS_PNG_READING_H
