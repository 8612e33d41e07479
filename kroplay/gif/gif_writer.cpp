#include "kroplay/gif/gif_writer.h"

#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace kroplay {
namespace {

struct MapDeleter {
  void operator()(ColorMapObject *map) const { GifFreeMapObject(map); }
};
using ColorMap = std::unique_ptr<ColorMapObject, MapDeleter>;

ColorMap make_map(const Palette &palette) {
  ColorMap map(GifMakeMapObject(kPaletteEntries, nullptr));
  if (!map) throw std::bad_alloc();
  for (int i = 0; i < kPaletteEntries; ++i)
    map->Colors[i] = {palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]};
  return map;
}

}  // namespace

std::string gif_error_text(int error) {
  const char *text = GifErrorString(error);
  return text != nullptr ? text : "giflib error " + std::to_string(error);
}

GifWriter::GifWriter(const std::string &path, int delay) : file_(path), delay_(delay) {
  const int fd = file_.take_descriptor();
  int error = 0;
  gif_ = EGifOpenFileHandle(fd, &error);
  if (gif_ == nullptr) {
    close(fd);
    throw OutputError("cannot write '" + path + "': " + gif_error_text(error));
  }
  EGifSetGifVersion(gif_, true);
}

GifWriter::~GifWriter() {
  if (gif_ != nullptr) EGifCloseFile(gif_, nullptr);
}

void GifWriter::check(int status, const char *step) {
  if (status == GIF_OK) return;
  const int error = gif_->Error;
  const std::string reason =
      error == E_GIF_ERR_WRITE_FAILED && errno != 0 ? std::strerror(errno) : gif_error_text(error);
  throw OutputError("cannot write '" + file_.target() + "' (" + step + "): " + reason);
}

void GifWriter::set_size(int32_t width, int32_t height) {
  if (width < 1 || height < 1 || width > 65535 || height > 65535)
    throw OutputError("cannot write '" + file_.target() + "': a GIF cannot be " +
                      std::to_string(width) + "x" + std::to_string(height));
  width_ = width;
  height_ = height;
  screen_width_ = std::max(screen_width_, width);
  screen_height_ = std::max(screen_height_, height);
  previous_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  line_.resize(static_cast<size_t>(width));
}

void GifWriter::begin(int32_t width, int32_t height, const Palette &palette) {
  set_size(width, height);
  first_width_ = width;
  first_height_ = height;
  global_palette_ = palette;
  check(EGifPutScreenDesc(gif_, width, height, 8, 0, make_map(palette).get()), "header");
  // NETSCAPE2.0 application block: loop forever.
  static const GifByteType kApplication[] = "NETSCAPE2.0";
  static const GifByteType kLoopForever[] = {1, 0, 0};
  check(EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE), "loop block");
  check(EGifPutExtensionBlock(gif_, 11, kApplication), "loop block");
  check(EGifPutExtensionBlock(gif_, 3, kLoopForever), "loop block");
  check(EGifPutExtensionTrailer(gif_), "loop block");
}

void GifWriter::put_image(const uint8_t *pixels, const Rect &rect, const Palette &palette) {
  GraphicsControlBlock control{};
  control.DisposalMode = DISPOSE_DO_NOT;
  control.UserInputFlag = false;
  control.DelayTime = delay_;
  control.TransparentColor = NO_TRANSPARENT_COLOR;
  GifByteType extension[4];
  const size_t length = EGifGCBToExtension(&control, extension);
  check(EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension),
        "frame delay");
  // Colours other than the first frame's travel in a table of the frame's own.
  ColorMap local;
  if (palette != global_palette_) local = make_map(palette);
  check(EGifPutImageDesc(gif_, rect.left, rect.top, rect.width, rect.height, false, local.get()),
        "frame");
  // giflib writes into the line it is given, so hand it a copy.
  for (int32_t y = rect.top; y < rect.top + rect.height; ++y) {
    const uint8_t *row = pixels + static_cast<size_t>(y) * static_cast<size_t>(width_);
    std::memcpy(line_.data(), row + rect.left, static_cast<size_t>(rect.width));
    check(EGifPutLine(gif_, line_.data(), rect.width), "frame");
  }
  // giflib 5.2.1 drops its copy of a frame's table without freeing it when
  // the next frame has none; the frame is complete, so free it here.
  if (gif_->Image.ColorMap != nullptr) {
    GifFreeMapObject(gif_->Image.ColorMap);
    gif_->Image.ColorMap = nullptr;
  }
}

void GifWriter::add_frame(const uint8_t *pixels, int32_t width, int32_t height,
                          const Palette &palette) {
  errno = 0;  // so that a failed write reports its own reason
  if (frames_ == 0) {
    begin(width, height, palette);
    put_image(pixels, {0, 0, width, height}, palette);
  } else {
    const bool resized = width != width_ || height != height_;
    if (resized) set_size(width, height);
    Rect rect{0, 0, width, height};
    // Pixels already shown keep their old colours, so a new palette needs
    // the whole frame again; so does a new size.
    if (palette == previous_palette_ && !resized) {
      rect = changed_rect(previous_.data(), pixels, width, height);
      // Nothing changed: a single unchanged pixel still carries the delay.
      if (rect.empty()) rect = {0, 0, 1, 1};
    }
    put_image(pixels, rect, palette);
  }
  std::memcpy(previous_.data(), pixels, previous_.size());
  previous_palette_ = palette;
  ++frames_;
}

// The screen size in the header (bytes 6..9, little-endian) becomes the
// largest frame size, known only now.
void GifWriter::patch_screen_size() {
  const uint8_t size[4] = {
      static_cast<uint8_t>(screen_width_), static_cast<uint8_t>(screen_width_ >> 8),
      static_cast<uint8_t>(screen_height_), static_cast<uint8_t>(screen_height_ >> 8)};
  std::FILE *file = std::fopen(file_.path().c_str(), "r+b");
  const bool written =
      file != nullptr && std::fseek(file, 6, SEEK_SET) == 0 && std::fwrite(size, 1, 4, file) == 4;
  const int error = errno;
  if (file != nullptr && std::fclose(file) != 0 && written)
    throw OutputError("cannot write '" + file_.target() + "': " + std::strerror(errno));
  if (!written) throw OutputError("cannot write '" + file_.target() + "': " + std::strerror(error));
}

void GifWriter::finish() {
  if (frames_ == 0) throw OutputError("cannot write '" + file_.target() + "': no frames");
  errno = 0;
  int error = 0;
  GifFileType *gif = gif_;
  gif_ = nullptr;
  if (EGifCloseFile(gif, &error) != GIF_OK)
    throw OutputError("cannot write '" + file_.target() + "': " + gif_error_text(error));
  if (screen_width_ != first_width_ || screen_height_ != first_height_) patch_screen_size();
  file_.commit();
}

}  // namespace kroplay
