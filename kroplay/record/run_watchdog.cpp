#include "kroplay/record/run_watchdog.h"

#include <utility>

namespace kroplay {

RunWatchdog::RunWatchdog(std::chrono::steady_clock::time_point deadline,
                         std::function<void()> expire) {
  thread_ = std::thread([this, deadline, expire = std::move(expire)] {
    std::unique_lock<std::mutex> lock(mutex_);
    if (changed_.wait_until(lock, deadline + kGrace, [this] { return disarmed_; })) return;
    expired_ = true;
    lock.unlock();
    expire();
  });
}

RunWatchdog::~RunWatchdog() {
  disarm();
}

void RunWatchdog::disarm() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (expired_) {
    // The process is ending on the watchdog's thread.
    lock.unlock();
    for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
  }
  disarmed_ = true;
  lock.unlock();
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

}  // namespace kroplay
