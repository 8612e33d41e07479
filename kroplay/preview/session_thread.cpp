#include "kroplay/preview/session_thread.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kroplay {
namespace {

using Clock = std::chrono::steady_clock;

// Longest wait for the window's events between looks at the session.
constexpr int kEventWaitMs = 5;

// What the session's thread sees as its display: frames and titles wait
// here for the window's thread, the user's requests come the other way.
class ForwardingDisplay : public PreviewDisplay {
 public:
  void show(const uint8_t *pixels, int32_t width, int32_t height, const Palette &palette) override {
    std::lock_guard<std::mutex> lock(mutex_);
    throw_if_failed();
    frame_.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
    width_ = width;
    height_ = height;
    palette_ = palette;
    frame_waiting_ = true;
  }
  void set_title(const std::string &title) override {
    std::lock_guard<std::mutex> lock(mutex_);
    throw_if_failed();
    title_ = title;
    title_waiting_ = true;
  }
  void copy_text(const std::string &text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    throw_if_failed();
    copied_ = text;
    copy_waiting_ = true;
  }
  bool next_action(int timeout_ms, PreviewAction &action) override {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(std::max(timeout_ms, 0)),
                      [&] { return !actions_.empty() || failure_; });
    throw_if_failed();
    if (actions_.empty()) return false;
    action = actions_.front();
    actions_.pop_front();
    return true;
  }

  // The window's thread: passes on a request, shows what waits.
  void request(PreviewAction action) {
    std::lock_guard<std::mutex> lock(mutex_);
    actions_.push_back(action);
    changed_.notify_all();
  }
  void deliver(PreviewDisplay &window) {
    std::vector<uint8_t> frame;
    std::string title, copied;
    bool show_frame, set_title, copy;
    int32_t width, height;
    Palette palette;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      show_frame = frame_waiting_;
      set_title = title_waiting_;
      copy = copy_waiting_;
      frame_waiting_ = title_waiting_ = copy_waiting_ = false;
      if (show_frame) frame.swap(frame_);
      if (set_title) title.swap(title_);
      if (copy) copied.swap(copied_);
      width = width_;
      height = height_;
      palette = palette_;
    }
    try {
      if (show_frame) window.show(frame.data(), width, height, palette);
      if (set_title) window.set_title(title);
      if (copy) window.copy_text(copied);
    } catch (const DisplayError &) {
      std::lock_guard<std::mutex> lock(mutex_);
      failure_ = std::current_exception();
      changed_.notify_all();
    }
  }

 private:
  void throw_if_failed() {
    if (failure_) std::rethrow_exception(failure_);
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<PreviewAction> actions_;
  std::exception_ptr failure_;  // the window's, passed to the session
  std::vector<uint8_t> frame_;
  int32_t width_ = 0, height_ = 0;
  Palette palette_{};
  bool frame_waiting_ = false;
  std::string title_;
  bool title_waiting_ = false;
  std::string copied_;
  bool copy_waiting_ = false;
};

}  // namespace

void run_responsive(PreviewDisplay &window, const std::function<void(PreviewDisplay &)> &session,
                    const ResponsiveLimits &limits) {
  ForwardingDisplay forward;
  std::mutex mutex;
  bool ended = false;
  std::exception_ptr failure;
  std::thread worker([&] {
    std::exception_ptr thrown;
    try {
      session(forward);
    } catch (...) {
      thrown = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(mutex);
    failure = thrown;
    ended = true;
  });

  Clock::time_point give_up = limits.quit_at;
  if (give_up != Clock::time_point::max()) give_up += limits.grace;
  for (;;) {
    forward.deliver(window);
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (ended) break;
    }
    if (Clock::now() >= give_up) limits.abandon();
    PreviewAction action;
    if (window.next_action(kEventWaitMs, action)) {
      forward.request(action);
      if (action == PreviewAction::kQuit) give_up = std::min(give_up, Clock::now() + limits.grace);
    }
  }
  worker.join();
  forward.deliver(window);  // what the session sent last
  if (failure) std::rethrow_exception(failure);
}

}  // namespace kroplay
