#include "kroplay/preview/preview_session.h"

#include <algorithm>

#include "kroplay/base/messages.h"
#include "kroplay/base/path_name.h"
#include "kroplay/host/host_runtime.h"
#include "kroplay/host/plugin_loader.h"
#include "kroplay/output/temp_file.h"
#include "kroplay/record/frame_hash.h"
#include "kroplay/record/output_choice.h"
#include "kroplay/record/script_run.h"
#include "kroplay/replay/replay_run.h"
#include "kroplay/tuning/preview_keys.h"

namespace kroplay {
namespace {

// Longest wait for the user between checks of the script file and clock.
constexpr int kPollMs = 20;

std::string base_name(const std::string &script) {
  std::string name = default_output(script);  // "<base>.gif"
  return name.substr(0, name.size() - 4);
}

}  // namespace

PreviewSession::PreviewSession(const PreviewSetup &setup, PreviewDisplay &display,
                               std::FILE *messages, std::FILE *out)
    : setup_(setup),
      display_(display),
      messages_(messages),
      out_(out),
      hash_out_(setup.hash ? out : nullptr),
      name_(!setup.replay.empty()  ? file_name_of(setup.replay)
            : setup.script.empty() ? "demo"
                                   : file_name_of(setup.script)),
      period_(std::chrono::duration_cast<Clock::duration>(
          std::chrono::duration<double>(1.0 / setup.fps))) {
  if (!setup.script.empty()) watcher_ = std::make_unique<FileWatcher>(setup.script);
  if (setup.quit_after > 0) quit_at_ = Clock::now() + std::chrono::seconds(setup.quit_after);
}

PreviewSession::~PreviewSession() = default;

void PreviewSession::run() {
  for (;;) {
    try {
      run_once();
      hold();
    } catch (const Stop &stop) {
      if (stop.quit) return;
    }
  }
}

void PreviewSession::run_once() {
  ++runs_;
  tracker_ = EffectTracker();
  frames_ = 0;
  error_.clear();
  ended_ = false;
  step_ = false;
  gif_ = nullptr;
  pending_.clear();
  loaded_.clear();
  update_title();
  // Destroyed last: the output is completed (on a quit) while the plug-in
  // is still loaded.
  std::unique_ptr<ScriptRun> run;
  std::unique_ptr<FrameOutput> replay_output;
  struct ForgetRun {
    FrameOutput *&gif;
    ScriptRun *&running;
    ~ForgetRun() {
      gif = nullptr;
      running = nullptr;
    }
  } forget{gif_, running_};
  try {
    std::unique_ptr<FrameOutput> output;
    if (!setup_.output.empty())
      output = open_frame_output(setup_.output, gif_delay(setup_.fps), 1, 0, 0);
    if (!setup_.replay.empty()) {
      // A trace plays in place of the script, its frames shown as they come.
      gif_ = (replay_output = std::move(output)).get();
      replay_trace({setup_.replay, setup_.plugin, setup_.null_imports, setup_.keep_going}, *this);
    } else {
      // A fresh load each run, so the plug-in starts from its initial state.
      run = std::make_unique<ScriptRun>(RunSetup(setup_), std::move(output));
      // Hash lines on stdout: the script's print goes to stderr.
      if (setup_.hash) run->set_print_stream(stderr, nullptr);
      gif_ = run->output();
      // A script busy without frames still answers the window and a save.
      run->set_watchdog(
          [this] {
            if (Clock::now() - last_pump_ >= std::chrono::milliseconds(kPollMs)) pump(0);
          },
          10000);
      running_ = run.get();
      run->run(*this);
    }
    running_ = nullptr;
  } catch (const Stop &stop) {
    if (stop.quit) finish_gif();
    throw;
  } catch (const DisplayError &) {
    throw;
  } catch (const ContractError &e) {
    report_error(std::string("plug-in breaks the host contract: ") + e.what());
    return;
  } catch (const std::exception &e) {
    report_error(e.what());
    return;
  }
  ended_ = true;
  message(name_ + " ended after " + std::to_string(frames_) + " frame" + (frames_ == 1 ? "" : "s") +
          "; the window stays open (Q quits)");
  finish_gif();
  update_title();
}

void PreviewSession::finish_gif() {
  if (!gif_ || gif_->frame_count() == 0) return;
  try {
    gif_->finish();
    message("wrote " + setup_.output + " (" + std::to_string(gif_->frame_count()) + " frames)");
  } catch (const std::exception &e) {
    message(e.what());
  }
  gif_ = nullptr;
}

void PreviewSession::hold() {
  for (;;) pump(kPollMs * 5);
}

void PreviewSession::frame_composed(const HostRuntime &runtime) {
  const size_t count = static_cast<size_t>(runtime.width()) * static_cast<size_t>(runtime.height());
  shown_.assign(runtime.frame(), runtime.frame() + count);
  shown_width_ = runtime.width();
  shown_height_ = runtime.height();
  shown_palette_ = runtime.palette();
  shown_number_ = frames_++;
  tracker_.frame_composed();
  display_.show(shown_.data(), shown_width_, shown_height_, shown_palette_);
  if (gif_) gif_->add_frame(shown_.data(), shown_width_, shown_height_, shown_palette_);
  if (hash_out_ != nullptr) {
    write_hash_line(hash_out_, shown_number_, frame_hash(shown_.data(), count, shown_palette_));
    std::fflush(hash_out_);
  }
  update_title();
  if (shown_number_ == 0) deadline_ = Clock::now() + period_;
  wait_for_slot();
}

void PreviewSession::function_called(const std::string &name, const int32_t *arguments, int count) {
  tracker_.function_called(name, arguments, count);
}

void PreviewSession::wait_for_slot() {
  pump(0);
  apply_tuning();
  for (;;) {
    const Clock::time_point now = Clock::now();
    if (paused_) {
      if (step_) {
        step_ = false;
        return;
      }
      pump(kPollMs);
      apply_tuning();
      continue;
    }
    if (now >= deadline_) break;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - now);
    pump(static_cast<int>(std::clamp<int64_t>(left.count(), 1, kPollMs)));
    apply_tuning();
  }
  deadline_ = std::max(deadline_ + period_, Clock::now());
}

void PreviewSession::pump(int timeout_ms) {
  last_pump_ = Clock::now();
  PreviewAction action;
  if (display_.next_action(timeout_ms, action)) handle(action);
  while (display_.next_action(0, action)) handle(action);
  check_file_and_clock();
}

void PreviewSession::handle(PreviewAction action) {
  switch (action) {
    case PreviewAction::kQuit:
      throw Stop{true};
    case PreviewAction::kTogglePause:
      paused_ = !paused_;
      step_ = false;
      if (!paused_) deadline_ = Clock::now() + period_;
      update_title();
      break;
    case PreviewAction::kStep:
      if (paused_) step_ = true;
      break;
    case PreviewAction::kRestart:
      message("restarting " + name_);
      throw Stop{false};
    case PreviewAction::kSave:
      save_frame();
      break;
    default:
      tune(action);
      break;
  }
}

void PreviewSession::tune(PreviewAction action) {
  // While the script runs, the keys act in order between frames, each on
  // what the ones before made.
  if (running_ != nullptr && action != PreviewAction::kToggleKeys) {
    pending_.push_back(action);
    return;
  }
  act(action);
  update_title();
}

void PreviewSession::act(PreviewAction action) {
  if (action == PreviewAction::kCopyCall) return copy_call();
  if (action == PreviewAction::kToggleKeys) {
    show_keys_ = !show_keys_;
    return;
  }
  if (running_ == nullptr && Tuning::is_step(action))
    return message("nothing to tune: the script is not running (R restarts it)");
  const bool acted = tuning_.act(action, tracker_, [this](const TuningCall &call) {
    int32_t result = 0;
    if (!running_->call(call.name, call.arguments, 2, result))
      message("cannot tune: the plug-in has no " + call.name);
  });
  if (!acted)
    message(action == PreviewAction::kSwitchEffect ? "E switches effects only while both are on"
                                                   : "nothing to tune: no effect is on");
}

void PreviewSession::apply_tuning() {
  if (pending_.empty()) return;
  std::vector<PreviewAction> actions;
  actions.swap(pending_);
  for (const PreviewAction action : actions) act(action);
  update_title();
}

void PreviewSession::copy_call() {
  const std::string line = tuning_.reproducing_call(tracker_);
  if (line.empty()) {
    message("no effect on screen to copy");
    return;
  }
  display_.copy_text(line);
  if (hash_out_ != nullptr) {
    message("copied " + line);
  } else {
    std::fprintf(out_, "%s\n", line.c_str());
    std::fflush(out_);
  }
}

void PreviewSession::file_loaded(const std::string &path) {
  for (const auto &loaded : loaded_)
    if (loaded.first == path) return;
  loaded_.emplace_back(path, std::make_unique<FileWatcher>(path));
}

void PreviewSession::check_file_and_clock() {
  if (Clock::now() >= quit_at_) throw Stop{true};
  if (watcher_ && watcher_->changed()) {
    message(name_ + " changed; restarting");
    throw Stop{false};
  }
  for (const auto &[path, watcher] : loaded_)
    if (watcher->changed()) {
      message(path + " changed; restarting");
      throw Stop{false};
    }
}

void PreviewSession::save_frame() {
  if (shown_number_ < 0) {
    message("no frame to save yet");
    return;
  }
  const std::string path =
      base_name(setup_.script) + "-frame" + std::to_string(shown_number_) + ".gif";
  try {
    GifWriter gif(path, gif_delay(setup_.fps));
    gif.add_frame(shown_.data(), shown_width_, shown_height_, shown_palette_);
    gif.finish();
    message("saved " + path);
  } catch (const std::exception &e) {
    message(e.what());
  }
}

void PreviewSession::report_error(std::string text) {
  error_ = std::move(text);
  message("error: " + error_);
  update_title();
  if (error_listener_) error_listener_(error_);
}

void PreviewSession::message(const std::string &text) {
  std::fprintf(messages_, "kroplay: %s\n", one_line(text).c_str());
  std::fflush(messages_);
}

void PreviewSession::update_title() {
  std::string title = "kroplay - " + name_;
  if (shown_number_ >= 0) title += " - frame " + std::to_string(shown_number_);
  if (!error_.empty()) {
    title += " - error: " + error_;
  } else {
    title += " - " + tuning_.describe(tracker_, running_ != nullptr);
    if (ended_) title += " - ended";
  }
  if (paused_) title += " - paused";
  title += " - " + (show_keys_ ? keys_for_title() : key_for(PreviewAction::kToggleKeys) + ": keys");
  display_.set_title(one_line(title));
}

}  // namespace kroplay
