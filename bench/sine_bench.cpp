// The plug-in's correctly rounded sine against the C runtime's sin over
// angles as the frame hook forms them, timed interleaved batch by batch;
// reports the ratio of their medians (vs_libm), each one's time per call,
// and how many of the angles take the sine's accurate path (accurate_calls),
// which costs a few microseconds each and so weighs on the average; and the
// ratio over the angles the fast path decides alone (fast_vs_libm).
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

bool takes_accurate_path(double x) {
  wavefx::sine_detail::Path path;
  wavefx::sine_detail::sine_by(x, path);
  return path == wavefx::sine_detail::Path::kAccurate;
}

// vs_libm over all the angles; fast_vs_libm over those the fast path
// decides (all but the few, about 6 in 10^5, that lie too near a rounding
// boundary and take the accurate path at some microseconds each).
void BM_Sine(benchmark::State &state) {
  const std::vector<double> angles = hook_angles(static_cast<double>(state.range(0)));
  std::vector<double> fast_angles;
  for (double x : angles)
    if (!takes_accurate_path(x)) fast_angles.push_back(x);
  const auto ours = [](double x) { return wavefx::sine(x); };
  const auto libm = [](double x) { return std::sin(x); };
  std::vector<double> ours_all, libm_all, ours_fast, libm_fast;
  for (auto _ : state) {
    const double t = seconds_per_call(angles, ours);
    libm_all.push_back(seconds_per_call(angles, libm));
    ours_fast.push_back(seconds_per_call(fast_angles, ours));
    libm_fast.push_back(seconds_per_call(fast_angles, libm));
    ours_all.push_back(t);
    state.SetIterationTime(t * static_cast<double>(angles.size()));
  }
  state.counters["accurate_calls"] = static_cast<double>(angles.size() - fast_angles.size());
  state.counters["vs_libm"] = median(ours_all) / median(libm_all);
  state.counters["fast_vs_libm"] = median(ours_fast) / median(libm_fast);
  state.counters["sine_ns"] = median(ours_all) * 1e9;
  state.counters["libm_ns"] = median(libm_all) * 1e9;
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
