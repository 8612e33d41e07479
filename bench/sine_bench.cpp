// The plug-in's correctly rounded sine against the C runtime's sin over
// angles as the frame hook forms them, timed interleaved batch by batch;
// reports the ratio of their medians (vs_libm), each one's time per call,
// and how many of the angles take the sine's accurate path (accurate_calls),
// which costs a few microseconds each and so weighs on the average.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <vector>

#include "effects/sine.h"

namespace {

double median(std::vector<double> samples) {
  std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
  return samples[samples.size() / 2];
}

// fl(fl(i * frequency) + phase) with float frequency and phase, |x| up to
// about `limit`: rows of a 200-row screen over many frames.
std::vector<double> hook_angles(double limit) {
  std::mt19937 random(42);
  std::vector<double> out;
  const float frequency_limit = static_cast<float>(limit / 400);
  std::uniform_real_distribution<float> frequency(-frequency_limit, frequency_limit);
  std::uniform_real_distribution<float> phase(static_cast<float>(-limit / 2),
                                              static_cast<float>(limit / 2));
  while (out.size() < 4096) {
    const float f = frequency(random), p = phase(random);
    for (int row = 0; row < 200 && out.size() < 4096; ++row)
      out.push_back(static_cast<double>(row) * static_cast<double>(f) + static_cast<double>(p));
  }
  return out;
}

template <typename Sine>
double seconds_per_call(const std::vector<double> &angles, Sine sine) {
  double sum = 0;
  const auto start = std::chrono::steady_clock::now();
  for (double x : angles) sum += sine(x);
  const auto stop = std::chrono::steady_clock::now();
  benchmark::DoNotOptimize(sum);
  return std::chrono::duration<double>(stop - start).count() / static_cast<double>(angles.size());
}

void BM_Sine(benchmark::State &state) {
  const std::vector<double> angles = hook_angles(static_cast<double>(state.range(0)));
  std::vector<double> ours, libm;
  for (auto _ : state) {
    const double t = seconds_per_call(angles, [](double x) { return wavefx::sine(x); });
    libm.push_back(seconds_per_call(angles, [](double x) { return std::sin(x); }));
    ours.push_back(t);
    state.SetIterationTime(t * static_cast<double>(angles.size()));
  }
  int accurate_calls = 0;
  for (double x : angles) {
    wavefx::sine_detail::Path path;
    wavefx::sine_detail::sine_by(x, path);
    accurate_calls += path == wavefx::sine_detail::Path::kAccurate;
  }
  state.counters["accurate_calls"] = accurate_calls;
  state.counters["vs_libm"] = median(ours) / median(libm);
  state.counters["sine_ns"] = median(ours) * 1e9;
  state.counters["libm_ns"] = median(libm) * 1e9;
}

BENCHMARK(BM_Sine)
    ->ArgName("max_angle")
    ->Arg(1)
    ->Arg(10000)
    ->Arg(1000000000)
    ->UseManualTime()
    ->MinTime(0.5);

}  // namespace

BENCHMARK_MAIN();
