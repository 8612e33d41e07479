// A recording run put together from one description: the run's limits, the
// progress line, the frame output (cut to a seamless loop if asked), the
// script run, and the frame sink that checks, selects, hashes and counts
// each frame. kroplay, the page and the benchmark each add only what is
// theirs: the messages, a sink around this one, the process ending.
#ifndef KROPLAY_RECORDING_H
#define KROPLAY_RECORDING_H

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "kroplay/record/frame_output.h"
#include "kroplay/record/frame_selector.h"
#include "kroplay/record/output_choice.h"
#include "kroplay/record/progress.h"
#include "kroplay/record/run_limits.h"
#include "kroplay/record/run_watchdog.h"
#include "kroplay/record/script_run.h"
#include "kroplay/record/seamless_loop.h"

namespace kroplay {

struct RecordingSetup {
  RunSetup run;                         // the script, the plug-in, the screen
  std::string output;                   // the file, or "-" for standard output
  int delay = 2;                        // GIF frame delay in hundredths of a second
  int scale = 1, columns = 0, gap = 0;  // see open_frame_output
  FrameRange frames;
  bool seamless = false;          // end the range where it wraps most smoothly
  int64_t max_frames = 0;         // 0: no limit
  int timeout = 0;                // seconds; 0: no limit
  std::FILE *hash_out = nullptr;  // one hash line per frame; null: none
  std::FILE *print_out = stdout;  // the script's print
  std::function<void()> before_print;
  bool show_progress = false;  // the progress line on stderr
  // Past the timeout, a thread ends the process even when the script's
  // hook cannot stop it (not in the page, which has no threads).
  bool end_process_on_timeout = false;
  // False when the frames come from elsewhere (a replayed trace): no
  // script run is made, the source sends its frames to selector() and ends
  // with finish().
  bool runs_script = true;
};

class Recording {
 public:
  // Opens the output (after the limits' clock has started: opening a FIFO
  // waits for a reader) and prepares the run. Throws what opening throws.
  explicit Recording(const RecordingSetup &setup);

  // Runs the script, each composed frame to `sink` (selector() or a sink
  // that passes frames on to it), then ends the progress line.
  void run(FrameSink &sink);
  // Ends a recording whose frames came from elsewhere: the watchdog
  // disarmed, the progress line ended.
  void finish();

  ScriptRun &script_run() { return *run_; }
  FrameSelector &selector() { return *selector_; }
  FrameOutput &output() { return run_ ? *run_->output() : *output_; }
  // The seamless cut, with --seamless; null otherwise.
  const SeamlessLoop *seamless() const { return seamless_; }

 private:
  // Destroyed bottom up: the sink, the run (its output completed or removed,
  // the plug-in unloaded), the progress line, the watchdog.
  RunLimits limits_;
  std::optional<RunWatchdog> watchdog_;
  std::optional<Progress> progress_;
  SeamlessLoop *seamless_ = nullptr;
  std::unique_ptr<FrameOutput> output_;  // without a script run
  std::optional<ScriptRun> run_;
  std::optional<FrameSelector> selector_;
};

}  // namespace kroplay

#endif  // KROPLAY_RECORDING_H
