// A recorded session (.krotrace, written by the tracing shim) read step by
// step: the registered functions, and in order the backgrounds, palettes,
// calls and frames. Every record is checked before it is used; whatever it
// holds, the reader allocates no more than the bytes it was given justify
// (a screen only as large as a whole background given in the file).
#ifndef KROPLAY_TRACE_READER_H
#define KROPLAY_TRACE_READER_H

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "trace_format.h"

namespace kroplay {

// A damaged, truncated or hostile trace; the message says where and why.
class TraceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TraceFunction {
  std::string name;
  int parameter_count;
};

struct TraceStep {
  enum class Kind { kBackground, kPalette, kCall, kFrame };
  Kind kind = Kind::kCall;
  krotrace::CallRecord call;    // kCall
  krotrace::FrameRecord frame;  // kFrame
};

class TraceReader {
 public:
  // `bytes` is the whole file. Throws TraceError for a bad header.
  explicit TraceReader(std::vector<uint8_t> bytes);

  // The next background, palette, call or frame, applied to the reader's
  // screen and palette; false at the end. Registrations are taken in on
  // the way. Throws TraceError naming the record's offset.
  bool next(TraceStep &step);

  const std::vector<TraceFunction> &functions() const { return functions_; }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  const std::vector<uint8_t> &background() const { return background_; }
  bool has_palette() const { return has_palette_; }
  const uint8_t *palette() const { return palette_; }

 private:
  [[noreturn]] void damaged(const std::string &why) const;
  void read_function();
  void read_background();
  void read_palette();

  std::vector<uint8_t> bytes_;
  krotrace::Reader reader_;
  size_t record_start_ = 0;
  std::vector<TraceFunction> functions_;
  bool has_screen_ = false;
  int32_t width_ = 0, height_ = 0;
  std::vector<uint8_t> background_;
  bool has_palette_ = false;
  uint8_t palette_[krotrace::kPaletteSize] = {};
};

}  // namespace kroplay

#endif  // KROPLAY_TRACE_READER_H
