// The drawings a script queues for its next frame() call (sprites,
// rectangles, text), drawn over each frame of that call and then dropped,
// as a game draws its sprites anew each frame. A queued sprite keeps its
// picture, even once the script has dropped it.
#ifndef KROPLAY_OVERLAY_QUEUE_H
#define KROPLAY_OVERLAY_QUEUE_H

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kroplay/base/picture.h"
#include "kroplay/overlay/overlay.h"

namespace kroplay {

class OverlayQueue {
 public:
  // Each returns false, queuing nothing, with the reason in refusal().
  bool add_sprite(const std::shared_ptr<const Picture> &picture, int32_t x, int32_t y);
  bool add_rect(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t colour);
  bool add_text(int32_t x, int32_t y, std::string_view text, uint8_t colour);
  const std::string &refusal() const { return refusal_; }

  void draw_onto(uint8_t *frame, int32_t width, int32_t height) const {
    overlay_.draw_onto(frame, width, height);
  }
  void clear();

 private:
  // Runs `add` (true if the drawing was queued), keeping the reason it was not.
  template <typename Add>
  bool queue(Add &&add);

  Overlay overlay_;
  std::vector<std::shared_ptr<const Picture>> drawn_pictures_;
  std::string refusal_;
};

}  // namespace kroplay

#endif  // KROPLAY_OVERLAY_QUEUE_H
