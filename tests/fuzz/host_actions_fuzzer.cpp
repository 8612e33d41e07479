// libFuzzer target: reads its input as a sequence of host actions, plays
// them against the plug-in (through its entry points, a host that keeps
// every object in a heap block of exactly its size, and null for the host
// names the plug-in must never read) and against the slow reference model,
// and aborts on the first difference. AddressSanitizer catches any access
// outside the stack or either bitmap.
//
// Input format: actions one after the other; each starts with an opcode
// byte whose low four bits select the action. A trailing partial action is
// ignored.
//   0..10  call script function N (registration order) with its arguments,
//          each a little-endian int32. The high four bits place them on the
//          16-entry stack: 0..7 puts the first argument at that entry,
//          8..15 puts the highest entry used (the result slot when there
//          are no arguments) at entry 15 - (high - 8).
//   11     compose one frame
//   12     resize: int32 width, int32 height; fresh bitmaps of exactly that
//          size, painted with a fresh pattern. A positive area above 4096 is
//          folded into 1..64 x 1..64; zero and negative sizes are kept.
//   13     burst: uint16 count; count + 1 frames, only the last compared
//   14     repaint the background: one seed byte
//   15     high bit 0 of the four: kroend, with host operations that abort
//          if it uses them; 1: toggle a host that hands over its background
//          as the frame buffer too (one bitmap for both). While it does, a
//          frame's pixels are meaningless and not compared, but every access
//          must still stay inside the bitmap.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "effects/wave_effect.h"
#include "support/reference_model.h"
#include "support/test_host.h"

namespace {

constexpr int32_t kStackEntries = 16;
constexpr int64_t kMaxArea = 4096;
// Work bounds per input, so that every input runs in milliseconds.
// The sine of a large angle is slow, and the model takes one per pixel, the
// plug-in one per row.
constexpr int64_t kMaxFrames = 1 << 17;
constexpr int64_t kMaxModelPixels = 1 << 17;
constexpr int64_t kMaxPluginRows = 1 << 17;
constexpr int64_t kMaxPluginPixels = 1 << 22;

[[noreturn]] void fail(const char *what) {
  std::fprintf(stderr, "wavefx fuzz: %s\n", what);
  std::abort();
}

class Input {
 public:
  Input(const uint8_t *data, size_t size) : data_(data), size_(size) {}
  bool more() const { return at_ < size_; }
  bool has(size_t n) const { return size_ - at_ >= n; }
  uint8_t byte() { return data_[at_++]; }
  uint16_t u16() {
    const uint16_t v = static_cast<uint16_t>(data_[at_] | data_[at_ + 1] << 8);
    at_ += 2;
    return v;
  }
  int32_t i32() {
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) v |= static_cast<uint32_t>(data_[at_ + k]) << (8 * k);
    at_ += 4;
    return static_cast<int32_t>(v);
  }

 private:
  const uint8_t *data_;
  size_t size_;
  size_t at_ = 0;
};

// memcmp with no bytes may be handed the null data() of an empty vector.
bool same_bytes(const uint8_t *a, const uint8_t *b, size_t n) {
  return n == 0 || std::memcmp(a, b, n) == 0;
}

uint32_t float_bits(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

bool same_effect(const wavefx::WaveEffect &e, const ModelEffect &m) {
  return (e.active == 1) == m.on && (e.active == 0 || e.active == 1) &&
         float_bits(e.speed) == float_bits(m.speed) &&
         float_bits(e.frequency) == float_bits(m.frequency) && e.amplitude == m.amplitude &&
         float_bits(e.phase) == float_bits(m.phase);
}

// A pixel pattern in which neighbouring rows and columns almost always
// differ, so a wrong source row or shift shows.
uint8_t pattern(size_t x, size_t y, uint8_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u ^
               (seed + 1u) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return static_cast<uint8_t>(h);
}

void kroend_operation_used(const char *) {
  fail("kroend called a host operation");
}
void *kroend_import(const char *name) {
  kroend_operation_used(name);
  return nullptr;
}
void kroend_export(const char *name, void *) {
  kroend_operation_used(name);
}

class Session {
 public:
  Session() : host_(TestHost::instance()) {
    wavefx::ripple = wavefx::kEffectAtLoad;
    wavefx::distortion = wavefx::kEffectAtLoad;
    host_.reset(kStackEntries);
    host_.null_unused_imports = true;  // any use of one would crash
    host_.load(krolibrary, kromain);
    fill_stack();
    resize(7, 5);
  }

  // Plays one action; false when the input is used up or over its budget.
  bool step(Input &in) {
    const uint8_t opcode = in.byte();
    const int action = opcode & 0x0F;
    if (action < KRO_SCRIPT_FUNCTION_COUNT) return call(in, action, opcode >> 4);
    switch (action) {
      case 11:
        return frames(1);
      case 12: {
        if (!in.has(8)) return false;
        int32_t width = in.i32();
        int32_t height = in.i32();
        if (width > 0 && height > 0 && static_cast<int64_t>(width) * height > kMaxArea) {
          width = 1 + (width - 1) % 64;
          height = 1 + (height - 1) % 64;
        }
        resize(width, height);
        return true;
      }
      case 13:
        return in.has(2) && frames(int64_t{in.u16()} + 1);
      case 14:
        if (!in.more()) return false;
        paint(in.byte());
        return true;
      default:
        if ((opcode >> 4 & 1) == 0) {
          kroend(kroend_import, kroend_export);
          check_state("kroend changed the effect state");
        } else {
          aliased_ = !aliased_;
          point_buffer();
        }
        return true;
    }
  }

 private:
  void point_buffer() { host_.buffer = aliased_ ? host_.background : host_.buffer_block.get(); }

  void resize(int32_t width, int32_t height) {
    host_.resize(width, height);
    point_buffer();
    model_background_.assign(host_.area(), 0);
    paint(static_cast<uint8_t>(static_cast<uint32_t>(width) * 3u + static_cast<uint32_t>(height)));
  }

  // Recognisable values in every stack entry, so stray writes show.
  void fill_stack() {
    for (int32_t k = 0; k < kStackEntries; ++k) host_.stack[k] = 0x5A5A0000 + k;
  }

  void paint(uint8_t seed) {
    const size_t width = host_.area() ? static_cast<size_t>(host_.wide) : 0;
    for (size_t i = 0; i < host_.area(); ++i)
      host_.background[i] = model_background_[i] = pattern(i % width, i / width, seed);
  }

  bool call(Input &in, int index, int placement) {
    const int n = host_.registrations[index].parameter_count;
    if (!in.has(4 * static_cast<size_t>(n))) return false;
    std::vector<int32_t> args(static_cast<size_t>(n));
    for (int32_t &a : args) a = in.i32();
    const int32_t room = n > 0 ? n : 1;
    const int32_t first =
        placement < 8 ? placement : kStackEntries - 1 - (placement - 8) - room + 1;

    std::vector<int32_t> stack_expected(host_.stack.get(), host_.stack.get() + kStackEntries);
    std::copy(args.begin(), args.end(), stack_expected.begin() + first);
    const std::vector<uint8_t> frame_before(host_.buffer, host_.buffer + host_.area());
    const int32_t result = host_.call(index, args.data(), first);
    const int32_t expected = model_.call(host_.registrations[index].name, args, model_background_,
                                         host_.wide, host_.height);

    if (result != expected) fail("script function result differs from the model");
    // Popping reads and pushing writes the result slot: nothing else changes.
    stack_expected[static_cast<size_t>(first)] = result;
    if (!std::equal(stack_expected.begin(), stack_expected.end(), host_.stack.get()))
      fail("script function wrote to the stack outside its result slot");
    if (!same_bytes(host_.background, model_background_.data(), host_.area()))
      fail("background differs from the model after a script function");
    if (!aliased_ && !same_bytes(host_.buffer, frame_before.data(), host_.area()))
      fail("a script function wrote to the frame buffer");
    check_state("effect state differs from the model after a script function");
    fill_stack();
    return true;
  }

  // Composes `count` frames; only the last is compared pixel by pixel, the
  // others advance the model's phase without pixels.
  bool frames(int64_t count) {
    const int64_t area = static_cast<int64_t>(host_.area());
    const int64_t rows = area > 0 ? host_.height : 0;
    if (frames_ + count > kMaxFrames || plugin_rows_ + count * rows > kMaxPluginRows ||
        plugin_pixels_ + count * area > kMaxPluginPixels || model_pixels_ + area > kMaxModelPixels)
      return false;
    frames_ += count;
    plugin_rows_ += count * rows;
    plugin_pixels_ += count * area;
    model_pixels_ += area;
    std::vector<uint8_t> model_frame;
    for (int64_t k = 0; k < count; ++k) {
      const bool last = k + 1 == count;
      const uint8_t poison = static_cast<uint8_t>(0xA5 ^ frames_ ^ k);
      if (!aliased_) std::memset(host_.buffer, poison, host_.area());
      host_.frame();
      if (last && area > 0 && !aliased_) {
        model_frame.assign(host_.area(), poison);
        model_.compose(model_background_, model_frame, host_.wide, host_.height);
      } else {
        // No pixels to compare: the model only advances the phase. (Given a
        // 0 x 2^30 screen it would walk all the empty rows.)
        model_.compose(model_background_, model_frame, 0, 0);
      }
    }
    if (aliased_) {
      // The frame was composed over its own source: take the host's word.
      std::copy(host_.background, host_.background + host_.area(), model_background_.begin());
      check_state("effect state differs from the model after a frame");
      return true;
    }
    if (!same_bytes(host_.buffer, model_frame.data(), host_.area()))
      fail("frame buffer differs from the model");
    if (!same_bytes(host_.background, model_background_.data(), host_.area()))
      fail("the frame hook changed the background");
    check_state("effect state differs from the model after a frame");
    return true;
  }

  void check_state(const char *what) {
    if (!same_effect(wavefx::ripple, model_.ripple) ||
        !same_effect(wavefx::distortion, model_.distortion))
      fail(what);
  }

  TestHost &host_;
  ReferenceModel model_;
  std::vector<uint8_t> model_background_;
  bool aliased_ = false;
  int64_t frames_ = 0;
  int64_t plugin_rows_ = 0;
  int64_t plugin_pixels_ = 0;
  int64_t model_pixels_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Input in(data, size);
  Session session;
  while (in.more() && session.step(in)) {
  }
  return 0;
}
