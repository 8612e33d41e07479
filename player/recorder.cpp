#include "recorder.h"

#include <cinttypes>

#include "frame_hash.h"
#include "host_runtime.h"

namespace kroplay {

void Recorder::frame_composed(const HostRuntime &runtime) {
  width_ = runtime.width();
  height_ = runtime.height();
  gif_.add_frame(runtime.frame(), width_, height_, runtime.palette());
  if (hash_out_ != nullptr) {
    const size_t count = static_cast<size_t>(width_) * static_cast<size_t>(height_);
    std::fprintf(hash_out_, "frame %" PRId64 " %016" PRIx64 "\n", frames_,
                 frame_hash(runtime.frame(), count, runtime.palette()));
  }
  ++frames_;
  progress_.update(frames_);
}

std::string Recorder::refuse_size(int32_t width, int32_t height) const {
  if (frames_ == 0 || (width == width_ && height == height_)) return {};
  return "the recording is " + std::to_string(width_) + "x" + std::to_string(height_) +
         " and a GIF keeps one size; call screen() before the first frame";
}

}  // namespace kroplay
