// kroplay's frame rate: a Lua script that tunes an effect and composes a
// frame, the plug-in's hook, and the GIF encoding of the changed rectangle,
// as in a real run. "compose only" drops the encoding, to show its share.
// GifSize records the scripts in bench/recordings and the built-in demo and
// reports each file's size, beside what `gifsicle -O3` makes of the same
// file when gifsicle is installed.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "kroplay/host/host_runtime.h"
#include "kroplay/host/plugin_loader.h"
#include "kroplay/record/frame_output.h"
#include "kroplay/record/frame_selector.h"
#include "kroplay/record/progress.h"
#include "kroplay/record/recording.h"
#include "kroplay/script/script_api.h"

namespace {

using namespace kroplay;

constexpr int kFramesPerRun = 100;

class DiscardFrames : public FrameSink {
 public:
  void frame_composed(const HostRuntime &runtime) override {
    benchmark::DoNotOptimize(runtime.frame()[0]);
  }
};

// A background of stripes and a grid, then `effect` started.
std::string setup_script(const char *effect) {
  return std::string(R"(
    local w, h = HOW_WIDE(), HOW_HIGH()
    FILL(1)
    for r = 0, h - 1, 4 do PUT_HLINE(r, 16 + r % 200) end
    for c = 0, w - 1, 16 do PUT_VLINE(c, 200) end
  )") + effect +
         "(5, 10, 12)\n";
}

const char *frame_script(const char *effect) {
  return effect[6] == 'R' ? "for i = 1, 100 do CHANGE_RVAL(8 + i % 5, 2) frame() end"
                          : "for i = 1, 100 do CHANGE_DVAL(8 + i % 5, 2) frame() end";
}

void run(benchmark::State &state, const char *effect, bool encode) {
  const int32_t w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
  const PluginLibrary plugin(WAVEFX_MODULE_PATH);
  HostRuntime runtime(w, h, false);
  // Never finished: removed at the end.
  const auto gif = open_frame_output("/tmp/kroplay-bench.gif", 2, 1, 0, 0);
  Progress progress(stderr, false);
  FrameSelector selector(*gif, nullptr, progress);
  DiscardFrames discard;
  ScriptApi script(runtime, encode ? static_cast<FrameSink &>(selector) : discard);
  runtime.start(plugin.entry_points());
  script.bind_plugin_functions();
  script.load_source(setup_script(effect), "setup");
  script.run();
  for (auto _ : state) {
    script.load_source(frame_script(effect), "frames");
    script.run();
  }
  state.SetItemsProcessed(state.iterations() * kFramesPerRun);
  state.counters["fps"] = benchmark::Counter(
      static_cast<double>(state.iterations() * kFramesPerRun), benchmark::Counter::kIsRate);
}

void Ripple(benchmark::State &state) {
  run(state, "START_RIPPLE", true);
}
void Distortion(benchmark::State &state) {
  run(state, "START_DISTORT", true);
}
void RippleComposeOnly(benchmark::State &state) {
  run(state, "START_RIPPLE", false);
}

double file_kilobytes(const std::string &path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? static_cast<double>(info.st_size) / 1000.0 : 0.0;
}

// Runs the recording `name` (the demo, or bench/recordings/NAME.lua) as
// kroplay does, into `path`.
void record(const std::string &name, const std::string &path) {
  RecordingSetup setup;
  setup.run = {name == "demo" ? "" : std::string(WAVEFX_RECORDINGS_DIR "/") + name + ".lua",
               WAVEFX_MODULE_PATH, 320, 200, false};
  setup.output = path;
  Recording recording(setup);
  recording.run(recording.selector());
  recording.output().finish();
}

void GifSize(benchmark::State &state, const char *name) {
  const std::string path = "/tmp/kroplay-size-" + std::to_string(getpid()) + "-" + name + ".gif";
  for (auto _ : state) record(name, path);
  const double kilobytes = file_kilobytes(path);
  state.counters["KB"] = kilobytes;
  if (std::system("command -v gifsicle >/dev/null 2>&1") == 0) {
    const std::string optimised = path + ".O3.gif";
    if (std::system(("gifsicle -O3 '" + path + "' -o '" + optimised + "'").c_str()) == 0) {
      const double gifsicle = file_kilobytes(optimised);
      state.counters["gifsicle_O3_KB"] = gifsicle;
      state.counters["ratio"] = kilobytes / gifsicle;
    }
    std::remove(optimised.c_str());
  }
  std::remove(path.c_str());
}

BENCHMARK(Ripple)->Args({320, 200})->Args({640, 480})->Unit(benchmark::kMillisecond);
BENCHMARK(Distortion)->Args({320, 200})->Args({640, 480})->Unit(benchmark::kMillisecond);
BENCHMARK(RippleComposeOnly)->Args({320, 200})->Args({640, 480})->Unit(benchmark::kMillisecond);

#define KROPLAY_GIF_SIZE(name) \
  BENCHMARK_CAPTURE(GifSize, name, #name)->Iterations(1)->Unit(benchmark::kMillisecond)
KROPLAY_GIF_SIZE(demo);
KROPLAY_GIF_SIZE(title);
KROPLAY_GIF_SIZE(waves);
KROPLAY_GIF_SIZE(palette_cycle);
KROPLAY_GIF_SIZE(both_effects);
KROPLAY_GIF_SIZE(picture_ripple);
KROPLAY_GIF_SIZE(distortion_ramp);
KROPLAY_GIF_SIZE(long_run);

}  // namespace

BENCHMARK_MAIN();
