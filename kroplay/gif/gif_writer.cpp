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
    throw OutputError("cannot write '" + file_.written_path() + "': " + gif_error_text(error));
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
  throw OutputError("cannot write '" + file_.written_path() + "' (" + step + "): " + reason);
}

void GifWriter::check_size(int32_t width, int32_t height) const {
  if (width < 1 || height < 1 || width > 65535 || height > 65535)
    throw OutputError("cannot write '" + file_.target() + "': a GIF cannot be " +
                      std::to_string(width) + "x" + std::to_string(height));
}

void GifWriter::begin(int32_t width, int32_t height) {
  // The global colour table is filled as frames are written and goes into
  // the header at the end (see finish_header).
  check(EGifPutScreenDesc(gif_, width, height, 8, 0, make_map(global_colours_.table()).get()),
        "header");
  // NETSCAPE2.0 application block: loop forever.
  static const GifByteType kApplication[] = "NETSCAPE2.0";
  static const GifByteType kLoopForever[] = {1, 0, 0};
  check(EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE), "loop block");
  check(EGifPutExtensionBlock(gif_, 11, kApplication), "loop block");
  check(EGifPutExtensionBlock(gif_, 3, kLoopForever), "loop block");
  check(EGifPutExtensionTrailer(gif_), "loop block");
}

void GifWriter::put_image(const EncodedImage &image, int delay) {
  GraphicsControlBlock control{};
  control.DisposalMode = DISPOSE_DO_NOT;
  control.UserInputFlag = false;
  control.DelayTime = delay;
  control.TransparentColor = image.transparent >= 0 ? image.transparent : NO_TRANSPARENT_COLOR;
  GifByteType extension[4];
  const size_t length = EGifGCBToExtension(&control, extension);
  check(EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension),
        "frame delay");
  ColorMap local;
  if (!image.local_colours.empty()) {
    const int count = static_cast<int>(image.local_colours.size() / 3);
    local.reset(GifMakeMapObject(count, nullptr));
    if (!local) throw std::bad_alloc();
    std::memcpy(local->Colors, image.local_colours.data(), image.local_colours.size());
  }
  // giflib writes the code size byte from the table's size, which is the
  // code size the image was encoded with; the codes go out as they are.
  const Rect &rect = image.rect;
  // giflib takes the code size from the table's bits per pixel: with the
  // global table, the frame's own code size stands in for its 8 bits.
  if (!local) {
    gif_->SColorMap->BitsPerPixel = image.min_code_size;
    global_bits_ = std::max(global_bits_, image.min_code_size);
  }
  const int status =
      EGifPutImageDesc(gif_, rect.left, rect.top, rect.width, rect.height, false, local.get());
  gif_->SColorMap->BitsPerPixel = 8;
  check(status, "frame");
  GifByteType block[256];
  for (size_t at = 0; at < image.code_length; at += 255) {
    const size_t size = std::min<size_t>(255, image.code_length - at);
    block[0] = static_cast<GifByteType>(size);
    std::memcpy(block + 1, image.codes.data() + at, size);
    check(EGifPutCodeNext(gif_, block), "frame");
  }
  check(EGifPutCodeNext(gif_, nullptr), "frame");
  // giflib 5.2.1 drops its copy of a frame's table without freeing it when
  // the next frame has none; the frame is complete, so free it here.
  if (gif_->Image.ColorMap != nullptr) {
    GifFreeMapObject(gif_->Image.ColorMap);
    gif_->Image.ColorMap = nullptr;
  }
}

void GifWriter::hold(const uint8_t *pixels, int32_t width, int32_t height, const Palette &palette,
                     const Rect &rect, bool over_shown) {
  held_.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
  held_palette_ = palette;
  held_width_ = width;
  held_height_ = height;
  held_delay_ = delay_;
  held_rect_ = rect;
  held_over_shown_ = over_shown;
}

void GifWriter::write_held() {
  constexpr int64_t kLongestDelay = 65535;  // the delay field's 16 bits
  const EncodedImage &image =
      encoder_.encode(held_.data(), held_palette_, held_over_shown_ ? shown_.data() : nullptr,
                      shown_palette_, held_width_, held_rect_, global_colours_);
  int64_t delay = held_delay_;
  put_image(image, static_cast<int>(std::min(delay, kLongestDelay)));
  // A longer delay goes on in one-pixel frames that change nothing.
  for (delay -= kLongestDelay; delay > 0; delay -= kLongestDelay) {
    put_image(encoder_.encode(held_.data(), held_palette_, held_.data(), held_palette_, held_width_,
                              {0, 0, 1, 1}, global_colours_),
              static_cast<int>(std::min(delay, kLongestDelay)));
  }
  shown_.swap(held_);
  shown_palette_ = held_palette_;
}

void GifWriter::add_frame(const uint8_t *pixels, int32_t width, int32_t height,
                          const Palette &palette) {
  errno = 0;  // so that a failed write reports its own reason
  check_size(width, height);
  const Rect whole{0, 0, width, height};
  if (frames_ == 0) {
    begin(width, height);
    hold(pixels, width, height, palette, whole, false);
  } else if (width != held_width_ || height != held_height_) {
    write_held();
    hold(pixels, width, height, palette, whole, false);
  } else {
    const Rect rect = changed_rect(held_.data(), held_palette_, pixels, palette, width, height);
    if (rect.empty()) {
      held_delay_ += delay_;  // shows the same: the held frame stays longer
    } else {
      write_held();
      hold(pixels, width, height, palette, rect, true);
    }
  }
  screen_width_ = std::max(screen_width_, width);
  screen_height_ = std::max(screen_height_, height);
  ++frames_;
}

// The header gets what is known only now: the screen size (bytes 6..9,
// little-endian), the largest frame size; and the global colour table (from
// byte 13), cut to the entries frames use, with its size in the flags (byte
// 10) and the rest of the file moved up behind it.
void GifWriter::finish_header() {
  constexpr long kTableStart = 13, kPlaceholderEnd = kTableStart + 3 * kPaletteEntries;
  const int bits = std::max(1, global_bits_);
  const size_t table_bytes = size_t{3} << bits;
  uint8_t header[kTableStart];
  std::FILE *file = std::fopen(file_.path().c_str(), "r+b");
  bool done = file != nullptr && std::fread(header, 1, sizeof header, file) == sizeof header;
  if (done) {
    header[6] = static_cast<uint8_t>(screen_width_);
    header[7] = static_cast<uint8_t>(screen_width_ >> 8);
    header[8] = static_cast<uint8_t>(screen_height_);
    header[9] = static_cast<uint8_t>(screen_height_ >> 8);
    header[10] = static_cast<uint8_t>((header[10] & 0xf8) | (bits - 1));
    done = std::fseek(file, 0, SEEK_SET) == 0 &&
           std::fwrite(header, 1, sizeof header, file) == sizeof header &&
           std::fwrite(global_colours_.table().data(), 1, table_bytes, file) == table_bytes;
  }
  long from = kPlaceholderEnd, to = kTableStart + static_cast<long>(table_bytes);
  std::vector<uint8_t> chunk(size_t{1} << 16);
  while (done) {
    done = std::fseek(file, from, SEEK_SET) == 0;
    const size_t got = done ? std::fread(chunk.data(), 1, chunk.size(), file) : 0;
    if (got == 0) {
      done = done && std::ferror(file) == 0;
      break;
    }
    done = std::fseek(file, to, SEEK_SET) == 0 && std::fwrite(chunk.data(), 1, got, file) == got;
    from += static_cast<long>(got);
    to += static_cast<long>(got);
  }
  done = done && std::fflush(file) == 0 && ftruncate(fileno(file), to) == 0;
  const int error = errno;
  if (file != nullptr && std::fclose(file) != 0 && done)
    throw OutputError("cannot write '" + file_.written_path() + "': " + std::strerror(errno));
  if (!done)
    throw OutputError("cannot write '" + file_.written_path() + "': " + std::strerror(error));
}

void GifWriter::finish() {
  if (frames_ == 0) throw OutputError("cannot write '" + file_.target() + "': no frames");
  errno = 0;
  write_held();
  int error = 0;
  GifFileType *gif = gif_;
  gif_ = nullptr;
  if (EGifCloseFile(gif, &error) != GIF_OK)
    throw OutputError("cannot write '" + file_.written_path() + "': " + gif_error_text(error));
  finish_header();
  file_.commit();
}

}  // namespace kroplay
