// Soak run: a million frames (by default) through the plug-in on a small
// screen, with script calls and resizes at random, every frame's effect
// state and every 16th frame's pixels compared with the reference model.
// Reports that nothing crashed or differed, that the plug-in made no heap
// operation, how resident memory stayed, and how the never-reduced phase
// behaves as it grows. A plain program, run by hand:
//   build/bench/soak [frames] [seed]
#include <sys/resource.h>

#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "alloc_counter.h"
#include "effects/wave_effect.h"
#include "phase_precision.h"
#include "support/random_arguments.h"
#include "support/reference_model.h"
#include "support/test_host.h"

namespace {

constexpr int32_t kStackEntries = 16;
constexpr int kPixelCheckEvery = 16;
constexpr int32_t kLongRunSpeedCents = 5;

[[noreturn]] void soak_failure(const char *what, int64_t frame) {
  std::fprintf(stderr, "soak: %s at frame %" PRId64 "\n", what, frame);
  std::exit(1);
}

bool same_effect(const wavefx::WaveEffect &e, const ModelEffect &m) {
  return (e.active == 1) == m.on && std::memcmp(&e.speed, &m.speed, sizeof(float)) == 0 &&
         std::memcmp(&e.frequency, &m.frequency, sizeof(float)) == 0 &&
         e.amplitude == m.amplitude && std::memcmp(&e.phase, &m.phase, sizeof(float)) == 0;
}

double peak_rss_mib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

class Soak {
 public:
  Soak(uint32_t seed, bool counting)
      : host_(TestHost::instance()), random_(seed), counting_(counting) {
    host_.reset(kStackEntries);
    host_.null_unused_imports = true;
    host_.load(krolibrary, kromain);
    resize(40, 30);
  }

  void run(int64_t frames) {
    const int64_t long_run_start = frames / 2;
    for (frame_ = 0; frame_ < frames; ++frame_) {
      if (frame_ == long_run_start) start_long_run();
      const bool long_run = frame_ >= long_run_start;
      if (pick(32) == 0) random_call(long_run);
      if (pick(20000) == 0) random_resize();
      compose(frame_ % kPixelCheckEvery == 0);
      if (frame_ + 1 == frames / 10) rss_at_tenth_ = peak_rss_mib();
    }
    long_run_frames_ = frames - long_run_start;
  }

  void report(double seconds, int64_t frames) const {
    std::printf("soak: %" PRId64 " frames, %" PRId64 " script calls, %" PRId64
                " resizes in %.1f s (%.0f frames/s); no crash, no difference\n",
                frames, calls_, resizes_, seconds, static_cast<double>(frames) / seconds);
    std::printf(
        "  compared with the reference model: effect state after every call and frame, "
        "pixels of %" PRId64 " frames\n",
        pixel_checks_);
    if (counting_)
      std::printf("  heap operations inside plug-in calls: %llu\n", plugin_heap_operations_);
    else
      std::printf("  heap operations inside plug-in calls: not counted (allocator replaced)\n");
    std::printf(
        "  peak resident memory: %.1f MiB after a tenth of the frames, %.1f MiB at the end\n",
        rss_at_tenth_, peak_rss_mib());
    const double exact = static_cast<double>(long_run_frames_) * kLongRunSpeedCents * 0.01;
    std::printf("  long run: ripple started once with speed %d, %" PRId64
                " frames later its phase is %.6f (the exact sum of the speeds is %.6f, "
                "%+.3f %%)\n",
                kLongRunSpeedCents, long_run_frames_, static_cast<double>(wavefx::ripple.phase),
                exact, 100.0 * (wavefx::ripple.phase - exact) / exact);
  }

 private:
  uint32_t pick(uint32_t n) { return static_cast<uint32_t>(random_() % n); }

  int32_t argument() { return random_argument(random_, host_.wide, host_.height); }

  void random_resize() {
    const int32_t shapes[][2] = {{40, 30}, {33, 17}, {1, 64}, {64, 1}, {1, 1}, {0, 0}, {-2, 9}};
    const auto &shape = shapes[pick(sizeof shapes / sizeof shapes[0])];
    resize(shape[0], shape[1]);
    ++resizes_;
  }

  void resize(int32_t width, int32_t height) {
    host_.resize(width, height);
    model_background_.assign(host_.area(), 0);
    for (size_t i = 0; i < host_.area(); ++i)
      host_.background[i] = model_background_[i] = static_cast<uint8_t>(random_());
  }

  // Any script function in the first half; in the long run the ripple is
  // left alone but for its frequency and amplitude.
  void random_call(bool long_run) {
    int index = static_cast<int>(pick(KRO_SCRIPT_FUNCTION_COUNT));
    std::vector<int32_t> args(static_cast<size_t>(host_.registrations[index].parameter_count));
    for (int32_t &a : args) a = argument();
    if (long_run) {
      if (index == 0 || index == 1) return;                         // START_RIPPLE, STOP_RIPPLE
      if (index == 4) args[1] = 1 + static_cast<int32_t>(pick(2));  // CHANGE_RVAL
    } else if (index == 4 || index == 5) {
      args[1] = static_cast<int32_t>(pick(5)) - 1;  // selectors -1 .. 3
    }
    call(index, args);
  }

  void start_long_run() { call(0, {kLongRunSpeedCents, 10, 20}); }

  void call(int index, const std::vector<int32_t> &args) {
    const unsigned long long before = heap_operations();
    const int32_t result = host_.call(index, args.data(), 2);
    plugin_heap_operations_ += heap_operations() - before;
    ++calls_;
    if (result != model_.call(host_.registrations[index].name, args, model_background_, host_.wide,
                              host_.height))
      soak_failure("script result differs from the model", frame_);
    if (host_.area() != 0 &&
        std::memcmp(host_.background, model_background_.data(), host_.area()) != 0)
      soak_failure("background differs from the model", frame_);
    check_state();
  }

  void compose(bool compare_pixels) {
    const unsigned long long before = heap_operations();
    host_.frame();
    plugin_heap_operations_ += heap_operations() - before;
    if (compare_pixels && host_.area() != 0) {
      model_frame_.assign(host_.area(), 0);
      model_.compose(model_background_, model_frame_, host_.wide, host_.height);
      if (std::memcmp(host_.buffer, model_frame_.data(), host_.area()) != 0)
        soak_failure("frame differs from the model", frame_);
      ++pixel_checks_;
    } else {
      model_.compose(model_background_, model_frame_, 0, 0);  // the phase alone
    }
    check_state();
  }

  void check_state() {
    if (!same_effect(wavefx::ripple, model_.ripple) ||
        !same_effect(wavefx::distortion, model_.distortion))
      soak_failure("effect state differs from the model", frame_);
  }

  TestHost &host_;
  std::mt19937 random_;
  bool counting_;
  ReferenceModel model_;
  std::vector<uint8_t> model_background_;
  std::vector<uint8_t> model_frame_;
  int64_t frame_ = 0;
  int64_t calls_ = 0;
  int64_t resizes_ = 0;
  int64_t pixel_checks_ = 0;
  int64_t long_run_frames_ = 0;
  unsigned long long plugin_heap_operations_ = 0;
  double rss_at_tenth_ = 0.0;
};

// The counter must see a heap operation where there is one, or its zero
// for the plug-in proves nothing. It sees none when something else has
// replaced the allocator (valgrind does): the run then goes on uncounted.
bool counter_works() {
  if (!heap_counting_supported()) return false;
  const unsigned long long before = heap_operations();
  volatile char *block = static_cast<char *>(std::malloc(64));
  block[0] = 1;
  std::free(const_cast<char *>(block));
  return heap_operations() - before == 2;
}

double hours_at_50_fps(int64_t frames) {
  return static_cast<double>(frames) / 50.0 / 3600.0;
}

void report_phase_growth() {
  std::printf("phase growth in single precision from 0, in frames (hours at 50 frames/s):\n");
  std::printf("  %5s  %-22s %-22s %-22s %s\n", "speed", "step off by > 1 %", "step off by > 10 %",
              "phase stops", "at phase");
  for (int32_t cents : {1, 3, 5, 10, 50, 100}) {
    const PhaseGrowth g = grow_phase(cents);
    auto when = [](int64_t frame) {
      static char text[4][40];
      static int slot = 0;
      char *out = text[slot++ % 4];
      if (frame < 0)
        std::snprintf(out, sizeof text[0], "never");
      else
        std::snprintf(out, sizeof text[0], "%" PRId64 " (%.1f h)", frame, hours_at_50_fps(frame));
      return out;
    };
    std::printf("  %5d  %-22s %-22s %-22s %.0f\n", cents, when(g.frames_off_1),
                when(g.frames_off_10), when(g.stall_frame), static_cast<double>(g.stall_phase));
  }
  const PhaseGrowth g = grow_phase(kLongRunSpeedCents);
  std::printf("per-frame step at speed %d (%.9g rad) as the phase grows:\n", kLongRunSpeedCents,
              static_cast<double>(g.speed));
  float shown = g.speed;
  for (size_t k = 0; k < g.changes.size(); ++k) {
    const PhaseStep &c = g.changes[k];
    // The one frame that crosses a power of two takes a step of its own.
    if (k + 1 < g.changes.size() && g.changes[k + 1].frame == c.frame + 1) continue;
    const double off = (static_cast<double>(c.step) - g.speed) / g.speed;
    if (c.step == shown || (std::fabs(off) < 0.001 && c.step != 0.0f)) continue;
    shown = c.step;
    std::printf("  from frame %9" PRId64 " (%6.1f h, phase %8.0f): step %.7f (%+.2f %%)\n", c.frame,
                hours_at_50_fps(c.frame), static_cast<double>(c.phase), static_cast<double>(c.step),
                100.0 * off);
  }
}

bool parse_count(const char *text, int64_t &out) {
  char *end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || v < 1) return false;
  out = v;
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  int64_t frames = 1000000;
  int64_t seed = 1;
  if (argc > 3 || (argc > 1 && !parse_count(argv[1], frames)) ||
      (argc > 2 && !parse_count(argv[2], seed))) {
    std::fprintf(stderr, "usage: soak [frames >= 1] [seed >= 1]\n");
    return 2;
  }
  Soak soak(static_cast<uint32_t>(seed), counter_works());
  const auto start = std::chrono::steady_clock::now();
  soak.run(frames);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  soak.report(seconds, frames);
  report_phase_growth();
  return 0;
}
