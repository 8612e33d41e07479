#include "kroplay/replay/trace_reader.h"

#include "kroplay/base/screen_limits.h"

namespace kroplay {

TraceReader::TraceReader(std::vector<uint8_t> bytes)
    : bytes_(std::move(bytes)), reader_{bytes_.data(), bytes_.data() + bytes_.size()} {
  const char *refusal = krotrace::read_header(reader_);
  if (*refusal != 0) throw TraceError(refusal);
}

void TraceReader::damaged(const std::string &why) const {
  throw TraceError("damaged at byte " + std::to_string(record_start_) + ": " + why);
}

bool TraceReader::next(TraceStep &step) {
  for (;;) {
    record_start_ = static_cast<size_t>(reader_.at - bytes_.data());
    uint8_t tag = 0;
    if (!reader_.take(tag)) return false;
    switch (tag) {
      case krotrace::kFunction:
        read_function();
        continue;
      case krotrace::kBackground:
        step.kind = TraceStep::Kind::kBackground;
        read_background(step);
        return true;
      case krotrace::kPalette:
        step.kind = TraceStep::Kind::kPalette;
        if (!step.picture.read(reader_)) damaged("a palette cut short");
        step.new_screen = !has_palette_;
        has_palette_ = true;
        return true;
      case krotrace::kCall: {
        step.kind = TraceStep::Kind::kCall;
        if (!step.call.read_function(reader_)) damaged("a call cut short");
        if (step.call.function >= functions_.size())
          damaged("a call of a function never registered");
        if (!step.call.read_values(reader_, functions_[step.call.function].parameter_count))
          damaged("a call cut short");
        return true;
      }
      case krotrace::kFrame:
        step.kind = TraceStep::Kind::kFrame;
        if (!step.frame.read(reader_)) damaged("a frame cut short");
        if (!has_screen_ || step.frame.width != width_ || step.frame.height != height_)
          damaged("a frame of a screen never given");
        return true;
      default:
        damaged("an unknown record (tag " + std::to_string(tag) + ")");
    }
  }
}

void TraceReader::read_function() {
  krotrace::FunctionRecord record;
  if (!record.read(reader_)) damaged("a registration cut short");
  // Call records number functions with 16 bits.
  if (functions_.size() > 0xffff) damaged("more functions than a trace can number");
  functions_.push_back(
      {std::string(record.name, record.name + record.name_length), record.parameter_count});
}

void TraceReader::read_background(TraceStep &step) {
  int32_t width = 0, height = 0;
  if (!krotrace::read_screen_size(reader_, width, height) || !step.picture.read(reader_))
    damaged("a background cut short");
  if (width < 0 || height < 0) damaged("a screen of negative size");
  if (width != 0 && height != 0 && !valid_screen_size(width, height))
    damaged("a screen of " + std::to_string(width) + "x" + std::to_string(height) +
            ", beyond what kroplay plays");
  const uint64_t size = width == 0 || height == 0 ? 0 : uint64_t(width) * uint64_t(height);
  step.new_screen = !has_screen_ || width != width_ || height != height_;
  // Only a whole background makes a new screen: its bytes are in the file.
  if (step.new_screen && (step.picture.encoding != krotrace::kRaw || step.picture.size != size))
    damaged("a screen of " + std::to_string(width) + "x" + std::to_string(height) +
            " without its " + std::to_string(size) + " bytes");
  has_screen_ = true;
  width_ = width;
  height_ = height;
}

void TraceReader::apply(const TraceStep &step, uint8_t *picture) const {
  const size_t size = step.kind == TraceStep::Kind::kPalette
                          ? krotrace::kPaletteSize
                          : static_cast<size_t>(width_) * static_cast<size_t>(height_);
  const char *refusal = krotrace::apply_picture(step.picture, picture, size, !step.new_screen);
  if (*refusal != 0) damaged(refusal);
}

}  // namespace kroplay
