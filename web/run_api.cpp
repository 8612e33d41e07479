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
#include <exception>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "kroplay/cli/messages.h"
#include "kroplay/cli/options.h"
#include "kroplay/host/host_runtime.h"
#include "kroplay/record/frame_output.h"
#include "kroplay/record/progress.h"
#include "kroplay/record/recorder.h"
#include "kroplay/record/run_limits.h"
#include "kroplay/record/script_run.h"
#include "web/frame_port.h"

namespace {

using namespace kroplay;

// Instructions between two looks at the clock, as in kroplay.
constexpr int kClockCheckInstructions = 100000;

std::string last_message;

// Emscripten starts with a umask of 0777, which would give kroplay's output
// files no permissions at all (mode & ~umask), so that the GIF writer could
// not reopen its file; the usual 022 instead.
void umask_for_outputs() {
  umask(022);
}

// Thrown through the script to end a run after the frames asked for.
struct EnoughFrames {};

// Recording as kroplay does, then the frame to the page.
class PlaygroundSink : public FrameSink {
 public:
  PlaygroundSink(Recorder &recorder, int64_t stop_after)
      : recorder_(recorder), stop_after_(stop_after) {}
  void frame_composed(const HostRuntime &runtime) override {
    recorder_.frame_composed(runtime);
    std::fflush(stdout);
    send_frame(recorder_.frames() - 1, runtime.frame(), runtime.width(), runtime.height(),
               runtime.palette().data());
    if (stop_after_ > 0 && recorder_.frames() >= stop_after_) throw EnoughFrames{};
  }

 private:
  Recorder &recorder_;
  int64_t stop_after_;
};

std::vector<std::string> split_lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int run(const std::string &arguments, int64_t stop_after) {
  umask_for_outputs();
  const Options options = parse_options(split_lines(arguments));
  const std::string output =
      options.output.empty() ? default_output(options.script) : options.output;
  const RunLimits limits(options.max_frames, options.timeout);
  send_frame_rate(options.fps);
  Progress progress(stderr, false);
  ScriptRun script_run(
      {options.script, plugin_path(options), options.width, options.height, options.null_imports},
      open_frame_output(output, gif_delay(options.fps), options.scale > 0 ? options.scale : 1,
                        options.columns));
  script_run.set_print_stream(stderr, nullptr);
  Recorder recorder(*script_run.output(), options.hash ? stdout : nullptr, progress);
  recorder.set_limits(&limits);
  if (options.timeout > 0)
    script_run.set_watchdog([&limits] { limits.check_time(); }, kClockCheckInstructions);
  PlaygroundSink sink(recorder, stop_after);
  try {
    script_run.run(sink);
  } catch (const EnoughFrames &) {
  }
  std::fflush(stdout);
  if (recorder.frames() > 0) script_run.output()->finish();
  return script_run.exit_status().value_or(0);
}

}  // namespace

extern "C" {

// Runs a script as `kroplay ARGUMENTS` would, the arguments one per line,
// ending it well after `stop_after` frames (0: when the script ends). Each
// frame goes to the worker. Returns 0 when the run
// ended well, the script's os.exit status if it gave one, or -1 with
// wavefx_message() saying what stopped it, in kroplay's one-line form.
EMSCRIPTEN_KEEPALIVE int wavefx_run(const char *arguments, double stop_after) {
  last_message.clear();
  try {
    return run(arguments, static_cast<int64_t>(stop_after));
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
    const std::unique_ptr<FrameOutput> output = open_frame_output(path, 1, 1, 0);
    output->add_frame(pixels, width, height, colours);
    output->finish();
    return 0;
  } catch (const std::exception &e) {
    last_message = one_line(e.what());
  }
  return -1;
}

// What stopped the last run; "" if it ended well.
EMSCRIPTEN_KEEPALIVE const char *wavefx_message() {
  return last_message.c_str();
}

}  // extern "C"
