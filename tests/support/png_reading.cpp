#include "support/png_reading.h"

#include <png.h>

#include <cstdio>

namespace {

// Everything libpng's longjmp may cross is plain data.
bool read_all(png_structp png, png_infop info, std::FILE *file, ReadPng &out,
              std::vector<png_bytep> &rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_read_info(png, info);
  out.width = static_cast<int>(png_get_image_width(png, info));
  out.height = static_cast<int>(png_get_image_height(png, info));
  out.bit_depth = png_get_bit_depth(png, info);
  const int type = png_get_color_type(png, info);
  out.indexed = type == PNG_COLOR_TYPE_PALETTE;
  if (out.indexed) {
    png_colorp colors = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &colors, &count);
    for (int i = 0; i < count; ++i)
      out.palette.insert(out.palette.end(), {colors[i].red, colors[i].green, colors[i].blue});
  } else if (type != PNG_COLOR_TYPE_RGB) {
    return false;
  }
  const size_t row_bytes = png_get_rowbytes(png, info);
  out.pixels.resize(row_bytes * static_cast<size_t>(out.height));
  rows.resize(static_cast<size_t>(out.height));
  for (int y = 0; y < out.height; ++y) rows[static_cast<size_t>(y)] = &out.pixels[row_bytes * y];
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

std::string read_png(const std::string &path, ReadPng &out) {
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return "cannot open " + path;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  // Any size PNG allows, not libpng's default of a million pixels a side.
  if (png != nullptr) png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  std::vector<png_bytep> rows;
  const bool ok = info != nullptr && read_all(png, info, file, out, rows);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(file);
  return ok ? "" : "not a readable palette or RGB PNG: " + path;
}
