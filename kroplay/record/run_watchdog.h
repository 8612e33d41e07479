// Ends a recording run that outlives its time whatever the script is doing.
// The script's hook stops an ordinary runaway script at the deadline with
// an ordinary error; but Lua runs finalizers and error handlers with hooks
// off, a long C call (a pattern match, a read from a pipe, a child
// process) runs without them, and the script's loading is not Lua code at
// all. The watchdog is a thread of its own that needs nothing from the
// Lua state: when the run has not ended shortly after the deadline, it
// calls `expire`, which ends the process.
#ifndef KROPLAY_RUN_WATCHDOG_H
#define KROPLAY_RUN_WATCHDOG_H

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kroplay {

class RunWatchdog {
 public:
  // How long after the deadline the watchdog waits for the hook to stop
  // the run the ordinary way.
  static constexpr std::chrono::milliseconds kGrace{500};

  // Starts watching. `expire` is called on the watchdog's thread and must
  // not return.
  RunWatchdog(std::chrono::steady_clock::time_point deadline, std::function<void()> expire);
  // Disarms the watchdog.
  ~RunWatchdog();
  RunWatchdog(const RunWatchdog &) = delete;
  RunWatchdog &operator=(const RunWatchdog &) = delete;

  // The run has ended: `expire` will not be called. If it is being called
  // already, this waits for it to end the process.
  void disarm();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool disarmed_ = false;
  bool expired_ = false;
  std::thread thread_;
};

}  // namespace kroplay

#endif  // KROPLAY_RUN_WATCHDOG_H
