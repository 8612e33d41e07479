#include "kroplay/gif/gif_writer.h"

#include <algorithm>

#include "kroplay/gif/gif_blocks.h"

namespace kroplay {
namespace {

// The header and loop block with a global table of 256 entries.
constexpr size_t kLargestHead = 13 + 3 * 256 + 19;

}  // namespace

GifWriter::GifWriter(const std::string &path, int delay)
    : file_(path, OutputWriting::kWholeAtOnce), delay_(delay) {}

void GifWriter::check_size(int32_t width, int32_t height) const {
  if (width < 1 || height < 1 || width > 65535 || height > 65535)
    throw OutputError("cannot write '" + file_.target() + "': a GIF cannot be " +
                      std::to_string(width) + "x" + std::to_string(height));
}

void GifWriter::keep_image(const EncodedImage &image, int delay) {
  if (body_.empty() || body_.back().size() >= kPieceBytes) {
    body_.emplace_back();
    body_.back().reserve(kPieceBytes);
  }
  const size_t before = body_.back().size();
  put_image(body_.back(), image, delay);
  held_bytes_ += body_.back().size() - before;
  if (image.local_colours.empty()) global_bits_ = std::max(global_bits_, image.min_code_size);
  if (!streaming_ && held_bytes_ > kHeldBytes && file_.rewritable()) {
    streaming_ = true;
    file_.write(std::vector<uint8_t>(kLargestHead).data(), kLargestHead);
  }
  if (streaming_) {
    for (const std::vector<uint8_t> &piece : body_) file_.write(piece.data(), piece.size());
    body_.clear();
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

void GifWriter::encode_held() {
  constexpr int64_t kLongestDelay = 65535;  // the delay field's 16 bits
  const EncodedImage &image =
      encoder_.encode(held_.data(), held_palette_, held_over_shown_ ? shown_.data() : nullptr,
                      shown_palette_, held_width_, held_rect_, global_colours_);
  int64_t delay = held_delay_;
  keep_image(image, static_cast<int>(std::min(delay, kLongestDelay)));
  // A longer delay goes on in one-pixel frames that change nothing.
  for (delay -= kLongestDelay; delay > 0; delay -= kLongestDelay) {
    keep_image(encoder_.encode(held_.data(), held_palette_, held_.data(), held_palette_,
                               held_width_, {0, 0, 1, 1}, global_colours_),
               static_cast<int>(std::min(delay, kLongestDelay)));
  }
  shown_.swap(held_);
  shown_palette_ = held_palette_;
}

void GifWriter::add_frame(const uint8_t *pixels, int32_t width, int32_t height,
                          const Palette &palette) {
  check_size(width, height);
  const Rect whole{0, 0, width, height};
  if (frames_ == 0) {
    hold(pixels, width, height, palette, whole, false);
  } else if (width != held_width_ || height != held_height_) {
    encode_held();
    hold(pixels, width, height, palette, whole, false);
  } else {
    const Rect rect = changed_rect(held_.data(), held_palette_, pixels, palette, width, height);
    if (rect.empty()) {
      held_delay_ += delay_;  // shows the same: the held frame stays longer
    } else {
      encode_held();
      hold(pixels, width, height, palette, rect, true);
    }
  }
  screen_width_ = std::max(screen_width_, width);
  screen_height_ = std::max(screen_height_, height);
  ++frames_;
}

void GifWriter::finish() {
  if (frames_ == 0) throw OutputError("cannot write '" + file_.target() + "': no frames");
  encode_held();
  // The global table holds the entries that frames using it can index.
  std::vector<uint8_t> head;
  put_header(head, screen_width_, screen_height_, global_colours_.table(),
             std::max(1, global_bits_));
  put_loop_forever(head);
  std::vector<uint8_t> tail;
  put_trailer(tail);
  if (streaming_) {
    file_.write(tail.data(), tail.size());
    if (head.size() < kLargestHead) file_.move_down(kLargestHead, head.size());
    file_.write_at(0, head.data(), head.size());
  } else {
    file_.write(head.data(), head.size());
    for (const std::vector<uint8_t> &piece : body_) file_.write(piece.data(), piece.size());
    file_.write(tail.data(), tail.size());
  }
  file_.commit();
}

}  // namespace kroplay
