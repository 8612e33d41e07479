// kroplay's frame rate: a Lua script that tunes an effect and composes a
// frame, the plug-in's hook, and the GIF encoding of the changed rectangle,
// as in a real run. "compose only" drops the encoding, to show its share.
#include <benchmark/benchmark.h>

#include <string>

#include "kroplay/host/host_runtime.h"
#include "kroplay/host/plugin_loader.h"
#include "kroplay/record/frame_output.h"
#include "kroplay/record/progress.h"
#include "kroplay/record/recorder.h"
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
  const auto gif = open_frame_output("/tmp/kroplay-bench.gif", 2, 1, 0);
  Progress progress(stderr, false);
  Recorder recorder(*gif, nullptr, progress);
  DiscardFrames discard;
  ScriptApi script(runtime, encode ? static_cast<FrameSink &>(recorder) : discard);
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

BENCHMARK(Ripple)->Args({320, 200})->Args({640, 480})->Unit(benchmark::kMillisecond);
BENCHMARK(Distortion)->Args({320, 200})->Args({640, 480})->Unit(benchmark::kMillisecond);
BENCHMARK(RippleComposeOnly)->Args({320, 200})->Args({640, 480})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
