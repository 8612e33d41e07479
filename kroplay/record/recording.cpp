#include "kroplay/record/recording.h"

#include <utility>

#include "kroplay/base/exit_status.h"
#include "kroplay/record/process_end.h"

namespace kroplay {

Recording::Recording(const RecordingSetup &setup) : limits_(setup.max_frames, setup.timeout) {
  // Whatever the script does, even while it loads, the run ends soon after
  // its time is up.
  if (setup.end_process_on_timeout && limits_.timed())
    watchdog_.emplace(limits_.deadline(), [line = "kroplay: " + limits_.timeout_message() + "\n"] {
      end_process_now(line.c_str(), kExitRunFailed);
    });
  // Before the output: opening a FIFO waits for a reader, and an interrupt
  // then says so.
  progress_.emplace(stderr, setup.show_progress);
  std::unique_ptr<FrameOutput> frames =
      open_frame_output(setup.output, setup.delay, setup.scale, setup.columns, setup.gap);
  if (setup.seamless) {
    const FrameRange &range = setup.frames;
    auto loop = std::make_unique<SeamlessLoop>(std::move(frames), range.all ? 0 : range.first,
                                               range.all ? 1 : range.step);
    seamless_ = loop.get();
    frames = std::move(loop);
  }
  if (!setup.runs_script) {
    output_ = std::move(frames);
  } else {
    run_.emplace(setup.run, std::move(frames));
    run_->set_print_stream(setup.print_out, setup.before_print);
  }
  selector_.emplace(output(), setup.hash_out, *progress_);
  selector_->select(setup.frames);
  selector_->set_limits(&limits_);
  // The clock is also read while a script loops without composing frames.
  if (setup.timeout > 0 && run_)
    run_->set_watchdog([this] { limits_.check_time(); }, kClockCheckInstructions);
}

void Recording::run(FrameSink &sink) {
  run_->run(sink);
  finish();
}

void Recording::finish() {
  if (watchdog_) watchdog_->disarm();
  progress_->finish();
}

}  // namespace kroplay
