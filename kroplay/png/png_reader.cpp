#include "kroplay/png/png_reader.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

namespace kroplay {
namespace {

// What libpng may allocate in all while it decodes one picture, besides
// four rows: its own structures and zlib's take tens of KiB. The chunks a
// picture does not use (text, colour profiles, ...) are skipped unread, so
// a file that makes libpng ask for more is one crafted to cost.
constexpr uint64_t kLibpngAllowance = uint64_t{1} << 20;

// libpng reports errors by longjmp. Each step runs in a function of its own
// that holds nothing with a destructor, so the jump skips no C++ code.
struct ReadState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  const uint8_t *next = nullptr;  // what libpng has not read yet
  size_t left = 0;
  uint64_t allocated = 0;  // by libpng so far, freed or not
  bool over_allowance = false;
  char message[256] = "";
};

png_voidp allocate(png_structp png, png_alloc_size_t size) {
  auto *state = static_cast<ReadState *>(png_get_mem_ptr(png));
  const uint64_t rows = 4 * (uint64_t{png_get_image_width(png, state->info)} + 1);
  state->allocated += size;
  if (state->allocated > kLibpngAllowance + rows) {
    state->over_allowance = true;
    return nullptr;
  }
  return std::malloc(size);
}

void release(png_structp, png_voidp memory) {
  std::free(memory);
}

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
  // Every chunk but IHDR, PLTE, tRNS, IDAT, IEND and bKGD is skipped
  // without being inflated or kept, and none is cached.
  png_set_keep_unknown_chunks(s.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  static const png_byte background_chunk[] = "bKGD";
  png_set_keep_unknown_chunks(s.png, PNG_HANDLE_CHUNK_AS_DEFAULT, background_chunk, 1);
  png_set_chunk_cache_max(s.png, 1);
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

uint32_t big_endian_at(const std::vector<uint8_t> &bytes, size_t at) {
  return uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 | uint32_t{bytes[at + 2]} << 8 |
         bytes[at + 3];
}

// libpng allocates a chunk's claimed length before it reads the chunk, so
// a chunk longer than what is left of the file is refused before libpng
// starts. Each chunk is its length, type, data and checksum.
void check_chunk_lengths(const std::vector<uint8_t> &bytes) {
  for (size_t at = 8; bytes.size() - at >= 8;) {
    const uint64_t length = big_endian_at(bytes, at);
    const uint64_t left = bytes.size() - at - 8;
    if (length + 4 > left)
      throw std::runtime_error("truncated file: a chunk claims " + std::to_string(length) +
                               " bytes, " + std::to_string(left) + " are left");
    if (std::memcmp(bytes.data() + at + 4, "IEND", 4) == 0) break;
    at += 12 + static_cast<size_t>(length);
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
  check_chunk_lengths(bytes);
  std::unique_ptr<ReadState, StateCloser> state(new ReadState);
  ReadState &s = *state;
  s.next = bytes.data();
  s.left = bytes.size();
  s.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &s, on_error, on_warning, &s, allocate,
                                   release);
  if (s.png != nullptr) s.info = png_create_info_struct(s.png);
  if (s.info == nullptr) throw std::runtime_error("libpng cannot start");
  const auto refuse = [&s] {
    throw std::runtime_error(s.over_allowance ? "decoding it needs more memory than its image"
                                              : s.message);
  };
  if (!read_header(s) || s.over_allowance) refuse();

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
      picture.colours.push_back(palette[i].red);
      picture.colours.push_back(palette[i].green);
      picture.colours.push_back(palette[i].blue);
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
  if (!read_rows(s, rows.data()) || s.over_allowance) refuse();
  return picture;
}

}  // namespace kroplay
