#include "kroplay/record/frame_output.h"

#include <vector>

#include "kroplay/gif/gif_writer.h"
#include "kroplay/png/png_sheet.h"
#include "kroplay/record/output_choice.h"
#include "kroplay/scale/nearest_scale.h"

namespace kroplay {
namespace {

std::string frames_text(int64_t count) {
  return std::to_string(count) + (count == 1 ? " frame" : " frames");
}

// The writer takes frames as they are; scaling happens before it.
class GifOutput : public FrameOutput {
 public:
  GifOutput(const std::string &path, int delay, int scale)
      : gif_(path, delay), path_(path), scale_(scale) {}

  void add_frame(const uint8_t *pixels, int32_t width, int32_t height,
                 const Palette &palette) override {
    if (scale_ == 1) return gif_.add_frame(pixels, width, height, palette);
    const int64_t scaled = static_cast<int64_t>(width) * height * scale_ * scale_;
    if (scaled > kMaxScaledPixels)
      throw OutputError("cannot write '" + path_ + "': " + std::to_string(width) + "x" +
                        std::to_string(height) + " at --scale " + std::to_string(scale_) +
                        " would hold more than " + std::to_string(kMaxScaledPixels) +
                        " pixels a frame");
    scale_frame(pixels, width, height, scale_, scaled_);
    gif_.add_frame(scaled_.data(), width * scale_, height * scale_, palette);
  }
  void finish() override { gif_.finish(); }
  int64_t frame_count() const override { return gif_.frame_count(); }
  std::string summary() const override {
    return frames_text(gif_.frame_count()) + ", " + std::to_string(gif_.screen_width()) + "x" +
           std::to_string(gif_.screen_height());
  }

 private:
  GifWriter gif_;
  std::string path_;
  int scale_;
  std::vector<uint8_t> scaled_;
};

class PngOutput : public FrameOutput {
 public:
  PngOutput(const std::string &path, int scale, int columns, int gap)
      : sheet_(path, scale, columns, gap) {}

  void add_frame(const uint8_t *pixels, int32_t width, int32_t height,
                 const Palette &palette) override {
    sheet_.add_frame(pixels, width, height, palette);
  }
  void finish() override { sheet_.finish(); }
  int64_t frame_count() const override { return sheet_.frame_count(); }
  std::string summary() const override {
    const std::string size =
        std::to_string(sheet_.image_width()) + "x" + std::to_string(sheet_.image_height());
    if (sheet_.frame_count() == 1) return "1 frame, " + size;
    return frames_text(sheet_.frame_count()) + " as a " + std::to_string(sheet_.columns()) + "x" +
           std::to_string(sheet_.rows()) + " sheet, " + size;
  }

 private:
  PngSheet sheet_;
};

}  // namespace

std::unique_ptr<FrameOutput> open_frame_output(const std::string &path, int delay, int scale,
                                               int columns, int gap) {
  if (is_png_output(path)) return std::make_unique<PngOutput>(path, scale, columns, gap);
  return std::make_unique<GifOutput>(path, delay, scale);
}

}  // namespace kroplay
