// The playground's WebAssembly entry points, called from the page's worker
// (web/src/worker.js). A run is kroplay's recording run with --hash: the
// same options, defaults and limits, the same hash lines on stdout (the
// script's print on stderr), the recording written by kroplay's GIF writer
// into the module's file system. Each composed frame is also handed to the
// worker, which passes it on to the page.
//
// Thread: the worker's, one run at a time. Strings returned stay valid
// until the next call.
#include <emscripten/emscripten.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "kroplay/base/messages.h"
#include "kroplay/cli/options.h"
#include "kroplay/cli/run_setups.h"
#include "kroplay/host/host_runtime.h"
#include "kroplay/record/recording.h"
#include "kroplay/tuning/effect_tracker.h"
#include "kroplay/tuning/preview_keys.h"
#include "kroplay/tuning/tuning.h"
#include "web/frame_port.h"

namespace {

using namespace kroplay;

std::string last_message;

// Emscripten starts with a umask of 0777, which would give kroplay's output
// files no permissions at all (mode & ~umask), so that the GIF writer could
// not reopen its file; the usual 022 instead.
void umask_for_outputs() {
  umask(022);
}

// Thrown through the script to end a run after the frames asked for.
struct EnoughFrames {};

// A tuning key the user pressed while frame `frame` was on screen.
struct KeyPress {
  int64_t frame;
  PreviewAction action;
};

// "F:A,F:A": frame numbers and PreviewAction values, in the order pressed.
std::vector<KeyPress> parse_presses(const std::string &text) {
  std::vector<KeyPress> presses;
  const char *at = text.c_str();
  char *end = nullptr;
  for (;;) {
    const long long frame = std::strtoll(at, &end, 10);
    if (end == at || *end == '\0') break;
    at = end + 1;  // the colon
    const long action = std::strtol(at, &end, 10);
    if (end == at) break;
    if (action >= 0 && action <= static_cast<long>(PreviewAction::kToggleKeys))
      presses.push_back({frame, static_cast<PreviewAction>(action)});
    if (*end == '\0') break;
    at = end + 1;  // the comma
  }
  return presses;
}

// Recording as kroplay does, then the frame to the page. The preview's
// tuning keys act between frames as in the window: the page runs the script
// again from the start with every key pressed so far, each after the frame
// it was pressed on, which gives the frames the window would have shown.
class PlaygroundSink : public FrameSink {
 public:
  PlaygroundSink(ScriptRun &run, FrameSelector &selector, std::string name,
                 std::vector<KeyPress> presses, int64_t stop_after)
      : run_(run),
        selector_(selector),
        name_(std::move(name)),
        presses_(std::move(presses)),
        stop_after_(stop_after) {}

  void frame_composed(const HostRuntime &runtime) override {
    selector_.frame_composed(runtime);
    std::fflush(stdout);
    const int64_t number = selector_.frames() - 1;
    tracker_.frame_composed();
    for (const KeyPress &press : presses_)
      if (press.frame == number) act(press.action);
    send_title(title(number), call());
    send_frame(number, runtime.frame(), runtime.width(), runtime.height(),
               runtime.palette().data());
    if (stop_after_ > 0 && selector_.frames() >= stop_after_) throw EnoughFrames{};
  }

  void function_called(const std::string &name, const int32_t *arguments, int count) override {
    tracker_.function_called(name, arguments, count);
  }

 private:
  // The tuning key as the preview acts on it, unheard when it does nothing.
  void act(PreviewAction action) {
    tuning_.act(action, tracker_, [this](const TuningCall &call) {
      int32_t result = 0;
      run_.call(call.name, call.arguments, 2, result);
    });
  }

  // The preview window's title but for its key list, which the page adds.
  std::string title(int64_t number) const {
    return name_ + " - frame " + std::to_string(number) + " - " + tuning_.describe(tracker_, true);
  }

  // The call that reproduces the effect on screen, or "".
  std::string call() const { return tuning_.reproducing_call(tracker_); }

  ScriptRun &run_;
  FrameSelector &selector_;
  std::string name_;
  std::vector<KeyPress> presses_;
  int64_t stop_after_;
  EffectTracker tracker_;
  Tuning tuning_;
};

std::vector<std::string> split_lines(const std::string &text) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

int run(const std::string &arguments, const std::string &presses, int64_t stop_after) {
  umask_for_outputs();
  const Options options = parse_options(split_lines(arguments));
  send_frame_rate(options.fps);
  RecordingSetup setup = recording_setup(
      options, options.output.empty() ? default_output(options.script) : options.output);
  setup.print_out = stderr;
  Recording recording(setup);
  PlaygroundSink sink(recording.script_run(), recording.selector(), options.script,
                      parse_presses(presses), stop_after);
  try {
    recording.run(sink);
  } catch (const EnoughFrames &) {
  }
  std::fflush(stdout);
  if (recording.selector().frames() > 0) recording.output().finish();
  return recording.script_run().exit_status().value_or(0);
}

// What the page does with a key's action: "tune" (run again with the key,
// see PlaygroundSink), "copy" (the reproducing call), "keys" (the key
// list), "restart", "save" (a PNG of the frame), "pause", "step" (a frame
// on while paused) or "stop" (the window's quit: the run ends).
const char *page_role(PreviewAction action) {
  switch (action) {
    case PreviewAction::kRestart:
      return "restart";
    case PreviewAction::kSave:
      return "save";
    case PreviewAction::kCopyCall:
      return "copy";
    case PreviewAction::kToggleKeys:
      return "keys";
    case PreviewAction::kQuit:
      return "stop";
    case PreviewAction::kTogglePause:
      return "pause";
    case PreviewAction::kStep:
      return "step";
    default:
      return "tune";
  }
}

}  // namespace

extern "C" {

// Runs a script as `kroplay ARGUMENTS` would, the arguments one per line,
// ending it well after `stop_after` frames (0: when the script ends), with
// the tuning keys `presses` ("F:A,...", see parse_presses). Each frame and
// its title go to the worker. Returns 0 when the run
// ended well, the script's os.exit status if it gave one, or -1 with
// wavefx_message() saying what stopped it, in kroplay's one-line form.
EMSCRIPTEN_KEEPALIVE int wavefx_run(const char *arguments, const char *presses, double stop_after) {
  last_message.clear();
  try {
    return run(arguments, presses, static_cast<int64_t>(stop_after));
  } catch (const std::exception &e) {
    std::fflush(stdout);
    last_message = one_line(e.what());
  } catch (...) {
    last_message = "the run failed";
  }
  return -1;
}

// Writes a `width` x `height` frame of palette indices, with its 768 palette
// bytes, to `path` as kroplay writes a PNG. Returns 0, or -1 with
// wavefx_message() saying why not.
EMSCRIPTEN_KEEPALIVE int wavefx_write_png(const char *path, const uint8_t *pixels, int width,
                                          int height, const uint8_t *palette) {
  last_message.clear();
  try {
    umask_for_outputs();
    Palette colours;
    std::copy(palette, palette + colours.size(), colours.begin());
    const std::unique_ptr<FrameOutput> output = open_frame_output(path, 1, 1, 0, 0);
    output->add_frame(pixels, width, height, colours);
    output->finish();
    return 0;
  } catch (const std::exception &e) {
    last_message = one_line(e.what());
  }
  return -1;
}

// The preview's keys as JSON, in the key table's order:
// {"keys": [[key, modifier (0 none, 1 Shift, 2 Ctrl), action, label, role,
//            repeats]...],
//  "list": the key list the title shows, "toggle": the key that shows it}.
EMSCRIPTEN_KEEPALIVE const char *wavefx_keys() {
  const auto quote = [](const std::string &text) {
    std::string quoted = "\"";
    for (const char c : text) {
      if (c == '"' || c == '\\') quoted += '\\';
      quoted += c;
    }
    return quoted + "\"";
  };
  last_message = "{\"keys\": [";
  const char *separator = "";
  for (const PreviewKey &key : preview_keys()) {
    last_message += separator + std::string("[") + quote(key.key) + ", " +
                    std::to_string(static_cast<int>(key.modifier)) + ", " +
                    std::to_string(static_cast<int>(key.action)) + ", " + quote(key.label) + ", " +
                    quote(page_role(key.action)) + ", " + (key.repeats ? "true" : "false") + "]";
    separator = ", ";
  }
  last_message += "], \"list\": " + quote(keys_for_title()) +
                  ", \"toggle\": " + quote(key_for(PreviewAction::kToggleKeys)) + "}";
  return last_message.c_str();
}

// What stopped the last run; "" if it ended well.
EMSCRIPTEN_KEEPALIVE const char *wavefx_message() {
  return last_message.c_str();
}

}  // extern "C"
