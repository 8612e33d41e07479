// The tracing shim's cost per frame as a ratio to the bare hook, measured in
// one run: the plug-in loaded directly and through wavefx-trace, both hooks
// timed interleaved on the same host, the ratio of their medians reported.
// "unchanged": the background as the last frame had it (the shim adds one
// comparison, the palette's copy and the frame's hash); "changed": the host
// redraws a tenth of the rows before each frame (the shim adds their record).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "kro_abi.h"
#include "kroplay/host/plugin_loader.h"

namespace {

struct BenchHost {
  int32_t stack[16] = {};
  int32_t sp = 8;
  int32_t wide = 0;
  int32_t height = 0;
  uint8_t *buffer = nullptr;
  uint8_t *background = nullptr;
  uint8_t palette[768] = {};
  kro_function hook = nullptr;
  std::vector<std::pair<std::string, kro_function>> functions;
} host;

void *import_object(const char *name) {
  const std::string key = name;
  if (key == "stack") return host.stack;
  if (key == "sp") return &host.sp;
  if (key == "wide") return &host.wide;
  if (key == "height") return &host.height;
  if (key == "buffer") return &host.buffer;
  if (key == "background") return &host.background;
  if (key == "palette") return host.palette;
  return nullptr;
}
void export_object(const char *, void *address) {
  host.hook = reinterpret_cast<kro_function>(address);
}
void register_function(const char *name, kro_function function, int) {
  host.functions.emplace_back(name, function);
}

// Starts the library at `path` and returns its hook, with the ripple on:
// START_RIPPLE(5, 10, 20).
kro_function start(const kroplay::PluginLibrary &library) {
  host.functions.clear();
  library.entry_points().krolibrary(register_function);
  library.entry_points().kromain(import_object, export_object);
  for (const auto &[name, function] : host.functions)
    if (name == "START_RIPPLE") {
      host.stack[6] = 5, host.stack[7] = 10, host.stack[8] = 20, host.sp = 8;
      function();
    }
  return host.hook;
}

double median(std::vector<double> samples) {
  std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
  return samples[samples.size() / 2];
}

template <typename F>
double seconds(int repeats, F &&work) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < repeats; ++i) work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / repeats;
}

void BM_TracedFrame(benchmark::State &state) {
  const int32_t width = static_cast<int32_t>(state.range(0));
  const int32_t height = static_cast<int32_t>(state.range(1));
  const bool redraw = state.range(2) != 0;
  const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<uint8_t> background(size), frame(size);
  for (size_t i = 0; i < size; ++i) background[i] = static_cast<uint8_t>(i * 7 + i / 320);
  host.wide = width;
  host.height = height;
  host.buffer = frame.data();
  host.background = background.data();
  // The same library twice: the shim loads the one already loaded.
  kroplay::PluginLibrary plugin(WAVEFX_MODULE_PATH);
  kroplay::PluginLibrary shim(WAVEFX_TRACE_SHIM_PATH);
  const kro_function bare = start(plugin);
  const kro_function traced = start(shim);
  uint8_t stroke = 0;
  const auto host_draws = [&] {
    if (!redraw) return;
    ++stroke;
    for (size_t row = 0; row < static_cast<size_t>(height); row += 10)
      std::fill_n(background.data() + row * static_cast<size_t>(width), width, stroke);
  };
  const int repeats = static_cast<int>(std::max<size_t>(1, 2000000 / size));
  std::vector<double> bare_times, traced_times;
  for (auto _ : state) {
    bare_times.push_back(seconds(repeats, [&] {
      host_draws();
      bare();
    }));
    traced_times.push_back(seconds(repeats, [&] {
      host_draws();
      traced();
    }));
    benchmark::DoNotOptimize(frame.data());
    state.SetIterationTime(traced_times.back() * repeats);
  }
  state.counters["vs_bare_hook"] = median(traced_times) / median(bare_times);
  state.counters["bare_us"] = median(bare_times) * 1e6;
}

}  // namespace

BENCHMARK(BM_TracedFrame)
    ->ArgNames({"w", "h", "changed"})
    ->Args({320, 200, 0})
    ->Args({320, 200, 1})
    ->Args({640, 480, 0})
    ->Args({640, 480, 1})
    ->Args({1920, 1080, 0})
    ->UseManualTime()
    ->MinTime(0.5);

int main(int argc, char **argv) {
  // The shim's trace goes beside the benchmark, and the plug-in it loads is ours.
  setenv("WAVEFX_TRACE_PLUGIN", WAVEFX_MODULE_PATH, 1);
  setenv("WAVEFX_TRACE_FILE", "trace_bench.krotrace", 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
