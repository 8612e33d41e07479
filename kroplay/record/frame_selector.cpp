#include "kroplay/record/frame_selector.h"

#include "kroplay/host/host_runtime.h"
#include "kroplay/record/frame_hash.h"

namespace kroplay {

void FrameSelector::frame_composed(const HostRuntime &runtime) {
  if (limits_ != nullptr) limits_->check_frames(frames_ + 1);
  if (range_.all || (frames_ >= range_.first && frames_ <= range_.last &&
                     (frames_ - range_.first) % range_.step == 0))
    output_.add_frame(runtime.frame(), runtime.width(), runtime.height(), runtime.palette());
  if (hash_out_ != nullptr) {
    const size_t count =
        static_cast<size_t>(runtime.width()) * static_cast<size_t>(runtime.height());
    write_hash_line(hash_out_, frames_, frame_hash(runtime.frame(), count, runtime.palette()));
  }
  ++frames_;
  progress_.update(frames_);
  if (!range_.all && frames_ > range_.last) throw EndOfRun();
}

}  // namespace kroplay
