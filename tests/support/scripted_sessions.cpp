#include "support/scripted_sessions.h"

#include <limits>

#include "support/reference_model.h"

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

// FNV-1a over the bytes of every hashed frame.
struct FrameHash {
  uint64_t value = 0xcbf29ce484222325u;
  void add(const std::vector<uint8_t> &bytes) {
    for (uint8_t b : bytes) value = (value ^ b) * 0x100000001b3u;
  }
};

std::vector<uint8_t> session_background(int32_t width, int32_t height) {
  std::vector<uint8_t> out(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      out[static_cast<size_t>(y) * width + x] = session_background_byte(x, y);
  return out;
}

}  // namespace

uint8_t session_background_byte(int32_t x, int32_t y) {
  return static_cast<uint8_t>(1 + (x * 7 + y * 13) % 251);
}

const std::vector<ScriptedSession> &scripted_sessions() {
  // 428247537 * sin(x_79) is 127.99999999980825 after 102103 frames: row 79
  // moves by 127 (distortion) or shows row 79 + 127 (ripple), where a sine
  // 10^-18 too large would give 128.
  static const std::vector<ScriptedSession> sessions = {
      {"distortion_row_79_next_to_128",
       256,
       80,
       {{"START_DISTORT", {1, 19, 428247537}}},
       102103,
       1},
      {"ripple_row_79_next_to_207", 4, 256, {{"START_RIPPLE", {1, 19, 428247537}}}, 102103, 1},
      {"distortion_huge_frequency", 320, 200, {{"START_DISTORT", {7, kMax, kMax}}}, 1000, 3},
      {"ripple_huge_frequency_tall", 16, 4000, {{"START_RIPPLE", {-3, -kMax, 100000}}}, 0, 2},
      {"ripple_typical", 320, 200, {{"START_RIPPLE", {5, 10, 20}}}, 0, 20},
      {"distortion_typical", 320, 200, {{"START_DISTORT", {5, 10, 20}}}, 0, 20},
      {"distortion_changed_values",
       64,
       300,
       {{"START_DISTORT", {3, 250, 40}}, {"CHANGE_DVAL", {123457, 1}}, {"CHANGE_DVAL", {-999, 0}}},
       5000,
       5},
      {"ripple_narrow_and_tall", 8, 4000, {{"START_RIPPLE", {11, 3, 2000}}}, 77, 4},
  };
  return sessions;
}

uint64_t session_hash_from_host(TestHost &host, const ScriptedSession &session) {
  host.resize(session.width, session.height);
  const std::vector<uint8_t> background = session_background(session.width, session.height);
  std::copy(background.begin(), background.end(), host.background);
  for (const ScriptedCall &call : session.calls) host.call(call.name, call.arguments);
  const int32_t width = host.wide, height = host.height;
  host.wide = host.height = 0;
  for (int64_t f = 0; f < session.skipped_frames; ++f) host.frame();
  host.wide = width, host.height = height;
  FrameHash hash;
  for (int f = 0; f < session.hashed_frames; ++f) {
    host.frame();
    hash.add(host.frame_contents());
  }
  return hash.value;
}

uint64_t session_hash_from_model(const ScriptedSession &session) {
  ReferenceModel model;
  std::vector<uint8_t> background = session_background(session.width, session.height);
  std::vector<uint8_t> frame(background.size());
  for (const ScriptedCall &call : session.calls)
    model.call(call.name, call.arguments, background, session.width, session.height);
  for (int64_t f = 0; f < session.skipped_frames; ++f) model.compose(background, frame, 0, 0);
  FrameHash hash;
  for (int f = 0; f < session.hashed_frames; ++f) {
    model.compose(background, frame, session.width, session.height);
    hash.add(frame);
  }
  return hash.value;
}
