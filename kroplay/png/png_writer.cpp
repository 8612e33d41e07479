#include "kroplay/png/png_writer.h"

#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace kroplay {

// libpng reports errors by longjmp. Each step runs in a function of its own
// that holds nothing with a destructor, so the jump skips no C++ code.
struct PngWriter::State {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::FILE *stream = nullptr;
  char message[256] = "";
};

namespace {

void on_error(png_structp png, png_const_charp message) {
  auto *state = static_cast<PngWriter::State *>(png_get_error_ptr(png));
  std::snprintf(state->message, sizeof state->message, "%s", message);
  png_longjmp(png, 1);
}

void on_warning(png_structp, png_const_charp) {}

bool write_header(PngWriter::State &s, int32_t width, int32_t height, const Palette *palette) {
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_init_io(s.png, s.stream);
  // libpng's default refuses images over 1,000,000 pixels wide or high; the
  // sheet's own pixel limit is the one that holds (a 1-row sheet of 100
  // frames 16384 wide is 1,638,400 pixels wide).
  png_set_user_limits(s.png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  png_set_IHDR(s.png, s.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               palette != nullptr ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (palette != nullptr) {
    png_color colors[kPaletteEntries];
    for (int i = 0; i < kPaletteEntries; ++i)
      colors[i] = {(*palette)[3 * i], (*palette)[3 * i + 1], (*palette)[3 * i + 2]};
    png_set_PLTE(s.png, s.info, colors, kPaletteEntries);
  }
  png_write_info(s.png, s.info);
  return true;
}

bool write_row_of(PngWriter::State &s, const uint8_t *row) {
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_write_row(s.png, row);
  return true;
}

bool write_end(PngWriter::State &s) {
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_write_end(s.png, nullptr);
  return true;
}

}  // namespace

PngWriter::PngWriter(OutputFile &file, int32_t width, int32_t height, const Palette *palette)
    : file_(file), state_(std::make_unique<State>()) {
  const int fd = file.take_descriptor();
  state_->stream = fdopen(fd, "wb");
  if (state_->stream == nullptr) {
    close(fd);
    throw OutputError("cannot write '" + file.written_path() + "': " + std::strerror(errno));
  }
  state_->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, state_.get(), on_error, on_warning);
  if (state_->png != nullptr) state_->info = png_create_info_struct(state_->png);
  if (state_->info == nullptr) {
    std::snprintf(state_->message, sizeof state_->message, "libpng cannot start");
    fail();
  }
  errno = 0;
  if (!write_header(*state_, width, height, palette)) fail();
}

PngWriter::~PngWriter() {
  if (state_->png != nullptr) png_destroy_write_struct(&state_->png, &state_->info);
  if (state_->stream != nullptr) std::fclose(state_->stream);
}

void PngWriter::fail() {
  // A failed write says why in errno; libpng's own text says only that it failed.
  const std::string reason = errno != 0 ? std::strerror(errno) : state_->message;
  throw OutputError("cannot write '" + file_.written_path() + "': " + reason);
}

void PngWriter::write_row(const uint8_t *row) {
  errno = 0;
  if (!write_row_of(*state_, row)) fail();
}

void PngWriter::finish() {
  errno = 0;
  if (!write_end(*state_)) fail();
  std::FILE *stream = state_->stream;
  state_->stream = nullptr;
  if (std::fclose(stream) != 0) fail();
}

}  // namespace kroplay
