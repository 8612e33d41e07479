#include "support/png_writing.h"

#include <png.h>

#include <cstdio>

namespace {

// Indices of fewer than 8 bits packed as the file holds them.
std::vector<uint8_t> packed_row(const PngToWrite &png, int y) {
  const int samples = png.color_type == PNG_COLOR_TYPE_RGB ? 3 : 1;
  const int per_row = png.width * samples;
  std::vector<uint8_t> row((per_row * png.bit_depth + 7) / 8);
  for (int i = 0; i < per_row; ++i) {
    const int value = png.pixels[static_cast<size_t>(y) * per_row + i];
    const int bit = i * png.bit_depth;
    row[bit / 8] |= static_cast<uint8_t>(value << (8 - png.bit_depth - bit % 8));
  }
  return row;
}

}  // namespace

std::string write_png(const std::string &path, const PngToWrite &png) {
  std::FILE *file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return "cannot create " + path;
  png_structp write = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(write);
  std::vector<std::vector<uint8_t>> rows;
  for (int y = 0; y < png.height; ++y) rows.push_back(packed_row(png, y));
  std::vector<png_bytep> pointers;
  for (auto &row : rows) pointers.push_back(row.data());
  if (setjmp(png_jmpbuf(write))) {
    png_destroy_write_struct(&write, &info);
    std::fclose(file);
    return "libpng failed";
  }
  png_init_io(write, file);
  png_set_IHDR(write, info, png.width, png.height, png.bit_depth, png.color_type,
               png.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> colours;
  for (size_t i = 0; i + 2 < png.palette.size(); i += 3)
    colours.push_back({png.palette[i], png.palette[i + 1], png.palette[i + 2]});
  if (!colours.empty()) png_set_PLTE(write, info, colours.data(), static_cast<int>(colours.size()));
  if (!png.alphas.empty())
    png_set_tRNS(write, info, png.alphas.data(), static_cast<int>(png.alphas.size()), nullptr);
  if (png.background >= 0) {
    png_color_16 background{};
    background.index = static_cast<png_byte>(png.background);
    png_set_bKGD(write, info, &background);
  }
  png_set_rows(write, info, pointers.data());
  png_write_png(write, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&write, &info);
  std::fclose(file);
  return "";
}
