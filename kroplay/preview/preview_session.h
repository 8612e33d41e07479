// kroplay --window without the window itself: runs the script again and
// again in real time, one frame per slot of 1/fps, and shows each composed
// frame on a PreviewDisplay. Pauses, steps, restarts, saves frames and quits
// on the user's requests; restarts when the script file, or a file the run
// read (a picture, a module), is saved; keeps the
// last good frame on screen when a script fails and waits for a fix. Keys
// tune the effect on screen through the plug-in's own CHANGE_ functions,
// called between frames as the script would call them.
#ifndef KROPLAY_PREVIEW_SESSION_H
#define KROPLAY_PREVIEW_SESSION_H

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kroplay/base/palettes.h"
#include "kroplay/gif/gif_writer.h"
#include "kroplay/preview/file_watcher.h"
#include "kroplay/preview/preview_display.h"
#include "kroplay/preview/preview_setup.h"
#include "kroplay/record/frame_output.h"
#include "kroplay/record/script_run.h"
#include "kroplay/script/script_api.h"
#include "kroplay/tuning/effect_tracker.h"
#include "kroplay/tuning/tuning.h"

namespace kroplay {

class PreviewSession : public FrameSink {
 public:
  // One-line messages (script ended, errors, restarts, saved frames) go to
  // `messages`; with setup.hash, one hash line per frame to `out`, and
  // without it the copied calls.
  PreviewSession(const PreviewSetup &setup, PreviewDisplay &display, std::FILE *messages,
                 std::FILE *out);
  ~PreviewSession() override;

  // Runs until the user quits (or --quit-after passes). Throws DisplayError.
  void run();

  void frame_composed(const HostRuntime &runtime) override;
  void function_called(const std::string &name, const int32_t *arguments, int count) override;
  // Watched from now on too, until the next run starts.
  void file_loaded(const std::string &path) override;

  // Runs started so far, the first included.
  int runs() const { return runs_; }

  // Called with each error's line as the title shows it, on the session's
  // thread (a message box, when nobody reads the messages).
  void set_error_listener(std::function<void(const std::string &)> listener) {
    error_listener_ = std::move(listener);
  }

 private:
  using Clock = std::chrono::steady_clock;
  struct Stop {  // thrown through the script to end a run
    bool quit;
  };

  void run_once();
  void finish_gif();
  void hold();  // after the script ended or failed
  void wait_for_slot();
  void pump(int timeout_ms);
  void handle(PreviewAction action);
  void check_file_and_clock();
  void save_frame();
  void tune(PreviewAction action);  // the tuning keys: now, or queued while the script runs
  void act(PreviewAction action);
  void apply_tuning();  // between frames: the queued keys
  void copy_call();
  void report_error(std::string message);
  void message(const std::string &text);
  void update_title();

  const PreviewSetup &setup_;
  PreviewDisplay &display_;
  std::FILE *messages_;
  std::FILE *out_;
  std::FILE *hash_out_;  // out_ with setup.hash, else null
  std::function<void(const std::string &)> error_listener_;
  std::string name_;  // the script's file name, for titles and messages
  std::unique_ptr<FileWatcher> watcher_;
  // The files the current run (or the last one) read besides the script,
  // each with its watcher.
  std::vector<std::pair<std::string, std::unique_ptr<FileWatcher>>> loaded_;
  Clock::duration period_;
  Clock::time_point quit_at_ = Clock::time_point::max();
  Clock::time_point last_pump_{};

  // The current run.
  int runs_ = 0;
  EffectTracker tracker_;
  int64_t frames_ = 0;
  Clock::time_point deadline_{};        // when the next frame may be composed
  FrameOutput *gif_ = nullptr;          // the current run's output, if any
  ScriptRun *running_ = nullptr;        // while the script runs
  std::vector<PreviewAction> pending_;  // tuning keys not yet acted on
  std::string error_;
  bool ended_ = false;

  bool paused_ = false;
  bool step_ = false;
  Tuning tuning_;
  bool show_keys_ = false;

  // The frame on screen.
  std::vector<uint8_t> shown_;
  int32_t shown_width_ = 0, shown_height_ = 0;
  Palette shown_palette_{};
  int64_t shown_number_ = -1;
};

}  // namespace kroplay

#endif  // KROPLAY_PREVIEW_SESSION_H
