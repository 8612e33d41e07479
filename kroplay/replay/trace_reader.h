// A recorded session (.krotrace, written by the tracing shim) read step by
// step: the registered functions, and in order the backgrounds, palettes,
// calls and frames. Every record is checked before it is used; whatever it
// holds, the reader allocates no more than the bytes it was given justify
// (a screen only as large as a whole background given in the file). The
// caller keeps the screen and palette the records change.
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
  krotrace::CallRecord call;        // kCall
  krotrace::FrameRecord frame;      // kFrame
  krotrace::PictureRecord picture;  // kBackground, kPalette: for apply()
  bool new_screen = false;          // kBackground: of another size than the last
};

class TraceReader {
 public:
  // `bytes` is the whole file. Throws TraceError for a bad header.
  explicit TraceReader(std::vector<uint8_t> bytes);

  // The next background, palette, call or frame; false at the end.
  // Registrations are taken in on the way. Throws TraceError naming the
  // record's offset.
  bool next(TraceStep &step);
  // Applies the background or palette `step` just read to `picture`, which
  // holds the previous one: a background of width() x height() bytes
  // (resized first for a new screen), a palette of kPaletteSize bytes.
  // Throws TraceError for changes that do not fit.
  void apply(const TraceStep &step, uint8_t *picture) const;

  const std::vector<TraceFunction> &functions() const { return functions_; }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }

 private:
  [[noreturn]] void damaged(const std::string &why) const;
  void read_function();
  void read_background(TraceStep &step);

  std::vector<uint8_t> bytes_;
  krotrace::Reader reader_;
  size_t record_start_ = 0;
  std::vector<TraceFunction> functions_;
  bool has_screen_ = false;
  int32_t width_ = 0, height_ = 0;
  bool has_palette_ = false;
};

}  // namespace kroplay

#endif  // KROPLAY_TRACE_READER_H
