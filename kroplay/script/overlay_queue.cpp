#include "kroplay/script/overlay_queue.h"

#include <new>

namespace kroplay {

template <typename Add>
bool OverlayQueue::queue(Add &&add) {
  try {
    if (add()) return true;
    refusal_ = "more than " + std::to_string(Overlay::kMaxDrawings) +
               " drawings wait for the next frame() call";
  } catch (const std::bad_alloc &) {
    refusal_ = "out of memory";
  }
  return false;
}

bool OverlayQueue::add_sprite(const std::shared_ptr<const Picture> &picture, int32_t x, int32_t y) {
  return queue([&] {
    drawn_pictures_.push_back(picture);
    if (overlay_.add_sprite(picture->pixels.data(), picture->width, picture->height,
                            picture->transparent, x, y))
      return true;
    drawn_pictures_.pop_back();
    return false;
  });
}

bool OverlayQueue::add_rect(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t colour) {
  return queue([&] { return overlay_.add_rect(x, y, width, height, colour); });
}

bool OverlayQueue::add_text(int32_t x, int32_t y, std::string_view text, uint8_t colour) {
  return queue([&] { return overlay_.add_text(x, y, text, colour); });
}

void OverlayQueue::clear() {
  overlay_.clear();
  drawn_pictures_.clear();
}

}  // namespace kroplay
