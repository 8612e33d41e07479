#include "kroplay/record/progress.h"

namespace kroplay {

void Progress::update(int64_t frames) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (shown_ && now - last_ < std::chrono::milliseconds(100)) return;
  last_ = now;
  shown_ = true;
  std::fprintf(out_, "\rkroplay: frame %lld", static_cast<long long>(frames));
  std::fflush(out_);
}

void Progress::finish() {
  if (!shown_) return;
  std::fputs("\r\033[K", out_);
  std::fflush(out_);
  shown_ = false;
}

}  // namespace kroplay
