#include "support/random_session.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>

#include "support/random_arguments.h"

namespace {

struct ScriptFunction {
  const char *name;
  int parameters;
};

#define WAVEFX_FUNCTION(name, count, arguments, result) {#name, count},
const ScriptFunction kFunctions[] = {KRO_SCRIPT_FUNCTIONS(WAVEFX_FUNCTION)};
#undef WAVEFX_FUNCTION

class Session {
 public:
  Session(TestHost &host, ReferenceModel &model, uint32_t seed)
      : host_(host), model_(model), random_(seed) {}

  int32_t argument() { return random_argument(random_, host_.wide, host_.height); }

  // Mostly small odd and even sizes; sometimes empty, negative or a common
  // game resolution.
  int32_t dimension() {
    switch (pick(10)) {
      case 0:
        return static_cast<int32_t>(pick(2));
      case 1:
        return -static_cast<int32_t>(pick(3)) - 1;
      case 2:
        return 320;
      default:
        return static_cast<int32_t>(pick(40)) + 1;
    }
  }

  void scribble_background() {
    for (size_t i = 0; i < host_.area(); ++i) host_.background[i] = static_cast<uint8_t>(random_());
  }

  void resize() {
    int32_t w = dimension(), h = dimension();
    if (w == 320) h = 200;
    host_.resize(w, h);
    scribble_background();
    scribble_frame();
  }

  // A fresh frame buffer of the same size at a new address, with other bytes.
  void reallocate() {
    const std::vector<uint8_t> background = host_.background_contents();
    host_.resize(host_.wide, host_.height);
    std::copy(background.begin(), background.end(), host_.background);
    scribble_frame();
  }

  void scribble_frame() {
    for (size_t i = 0; i < host_.area(); ++i) host_.buffer[i] = static_cast<uint8_t>(random_());
  }

  bool script_call() {
    const ScriptFunction &f = kFunctions[pick(sizeof kFunctions / sizeof kFunctions[0])];
    std::vector<int32_t> args;
    for (int i = 0; i < f.parameters; ++i) args.push_back(argument());
    // Amplitudes stay moderate most of the time so that the waves show.
    if (std::string(f.name).rfind("START_", 0) == 0 && pick(3) != 0) args[2] %= 64;
    if (std::string(f.name).rfind("CHANGE_", 0) == 0 && pick(3) != 0) args[1] = pick(4);
    std::vector<uint8_t> expected_background = host_.background_contents();
    const int32_t expected =
        model_.call(f.name, args, expected_background, host_.wide, host_.height);
    const int32_t actual = host_.call(f.name, args);
    EXPECT_EQ(expected, actual) << f.name;
    EXPECT_EQ(expected_background, host_.background_contents()) << f.name << " drew wrongly";
    return expected == actual && expected_background == host_.background_contents();
  }

  uint32_t pick(size_t n) { return static_cast<uint32_t>(random_() % n); }

 private:
  TestHost &host_;
  ReferenceModel &model_;
  std::mt19937 random_;
};

}  // namespace

bool frame_matches_model(TestHost &host, ReferenceModel &model) {
  std::vector<uint8_t> expected = host.frame_contents();
  model.compose(host.background_contents(), expected, host.wide, host.height);
  host.frame();
  const std::vector<uint8_t> actual = host.frame_contents();
  if (expected == actual) return true;
  size_t first = 0;
  while (expected[first] == actual[first]) ++first;
  ADD_FAILURE() << "frame differs at " << host.wide << "x" << host.height << " byte " << first
                << " (row " << first / static_cast<size_t>(host.wide) << "): expected "
                << int{expected[first]} << ", got " << int{actual[first]};
  return false;
}

int64_t run_random_session(TestHost &host, ReferenceModel &model, uint32_t seed, int steps) {
  Session session(host, model, seed);
  session.resize();
  int64_t frames = 0;
  for (int step = 0; step < steps; ++step) {
    const uint32_t action = session.pick(20);
    bool ok = true;
    if (action < 8) {
      ok = session.script_call();
    } else if (action < 17) {
      ok = frame_matches_model(host, model);
      ++frames;
    } else if (action < 18) {
      session.resize();
    } else if (action < 19) {
      session.reallocate();
    } else {
      session.scribble_background();
    }
    if (!ok) {
      ADD_FAILURE() << "seed " << seed << ", step " << step;
      break;
    }
  }
  return frames;
}
