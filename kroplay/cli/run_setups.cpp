#include "kroplay/cli/run_setups.h"

#include <algorithm>

namespace kroplay {
namespace {

RunSetup run_setup(const Options &options) {
  return {options.script, plugin_path(options), options.width, options.height,
          options.null_imports};
}

}  // namespace

RecordingSetup recording_setup(const Options &options, const std::string &output) {
  RecordingSetup setup;
  setup.run = run_setup(options);
  setup.output = output;
  setup.delay = gif_delay(options.fps);
  setup.scale = std::max(options.scale, 1);
  setup.columns = options.columns;
  setup.gap = options.gap;
  setup.frames = options.frames;
  setup.seamless = options.seamless;
  setup.max_frames = options.max_frames;
  setup.timeout = options.timeout;
  setup.hash_out = options.hash ? stdout : nullptr;
  return setup;
}

PreviewSetup preview_setup(const Options &options) {
  PreviewSetup setup;
  static_cast<RunSetup &>(setup) = run_setup(options);
  setup.output = options.output;
  setup.fps = options.fps;
  setup.hash = options.hash;
  setup.quit_after = options.quit_after;
  setup.scale = options.scale;
  setup.replay = options.replay;
  setup.keep_going = options.keep_going;
  return setup;
}

}  // namespace kroplay
