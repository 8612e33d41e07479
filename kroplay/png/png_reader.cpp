#include "kroplay/png/png_reader.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

namespace kroplay {
namespace {

// libpng reports errors by longjmp. Each step runs in a function of its own
// that holds nothing with a destructor, so the jump skips no C++ code.
struct ReadState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  const uint8_t *next = nullptr;  // what libpng has not read yet
  size_t left = 0;
  char message[256] = "";
};

void on_error(png_structp png, png_const_charp message) {
  auto *state = static_cast<ReadState *>(png_get_error_ptr(png));
  std::snprintf(state->message, sizeof state->message, "%s", message);
  png_longjmp(png, 1);
}

void on_warning(png_structp, png_const_charp) {}

void read_bytes(png_structp png, png_bytep into, size_t count) {
  auto *state = static_cast<ReadState *>(png_get_io_ptr(png));
  if (count > state->left) png_error(png, "truncated file");
  std::memcpy(into, state->next, count);
  state->next += count;
  state->left -= count;
}

bool read_header(ReadState &s) {
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_set_read_fn(s.png, &s, read_bytes);
  png_read_info(s.png, s.info);
  return true;
}

// Indices of fewer than 8 bits unpacked to one byte each, interlaced
// passes merged.
bool read_rows(ReadState &s, png_bytep *rows) {
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_set_packing(s.png);
  png_set_interlace_handling(s.png);
  png_read_update_info(s.png, s.info);
  png_read_image(s.png, rows);
  return true;
}

// The colour types that are not palette indices, as a user knows them.
const char *colour_type_name(int type) {
  switch (type) {
    case PNG_COLOR_TYPE_RGB:
      return "an RGB";
    case PNG_COLOR_TYPE_RGB_ALPHA:
      return "an RGBA";
    case PNG_COLOR_TYPE_GRAY:
      return "a greyscale";
    default:
      return "a greyscale-with-alpha";
  }
}

struct StateCloser {
  void operator()(ReadState *s) const {
    png_destroy_read_struct(&s->png, &s->info, nullptr);
    delete s;
  }
};

}  // namespace

Picture decode_png(const std::vector<uint8_t> &bytes) {
  std::unique_ptr<ReadState, StateCloser> state(new ReadState);
  ReadState &s = *state;
  s.next = bytes.data();
  s.left = bytes.size();
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, on_error, on_warning);
  if (s.png != nullptr) s.info = png_create_info_struct(s.png);
  if (s.info == nullptr) throw std::runtime_error("libpng cannot start");
  if (!read_header(s)) throw std::runtime_error(s.message);

  const int type = png_get_color_type(s.png, s.info);
  if (type != PNG_COLOR_TYPE_PALETTE)
    throw std::runtime_error(std::string("it is ") + colour_type_name(type) +
                             " PNG; save it with a palette (indexed colour, at most 256 colours)");
  Picture picture;
  picture.width = static_cast<int32_t>(png_get_image_width(s.png, s.info));
  picture.height = static_cast<int32_t>(png_get_image_height(s.png, s.info));
  if (static_cast<int64_t>(picture.width) * picture.height > kMaxPicturePixels)
    throw std::runtime_error("its image is too large");

  png_colorp palette = nullptr;
  int entries = 0;
  if (png_get_PLTE(s.png, s.info, &palette, &entries) != 0)
    for (int i = 0; i < entries; ++i) {
      picture.colors.push_back(palette[i].red);
      picture.colors.push_back(palette[i].green);
      picture.colors.push_back(palette[i].blue);
    }
  png_bytep alpha = nullptr;
  int alphas = 0;
  if (png_get_tRNS(s.png, s.info, &alpha, &alphas, nullptr) != 0) {
    const png_bytep clear = std::find(alpha, alpha + alphas, 0);
    if (clear != alpha + alphas) picture.transparent = static_cast<int>(clear - alpha);
  }
  png_color_16p background = nullptr;
  if (png_get_bKGD(s.png, s.info, &background) != 0) picture.background = background->index;

  picture.pixels.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
  std::vector<png_bytep> rows(static_cast<size_t>(picture.height));
  for (size_t y = 0; y < rows.size(); ++y)
    rows[y] = picture.pixels.data() + y * static_cast<size_t>(picture.width);
  if (!read_rows(s, rows.data())) throw std::runtime_error(s.message);
  return picture;
}

}  // namespace kroplay
