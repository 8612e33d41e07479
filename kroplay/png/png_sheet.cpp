#include "kroplay/png/png_sheet.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "kroplay/png/png_writer.h"
#include "kroplay/scale/nearest_scale.h"

namespace kroplay {

int near_square_columns(int64_t count) {
  int columns = static_cast<int>(std::sqrt(static_cast<double>(count)));
  while (static_cast<int64_t>(columns) * columns < count) ++columns;
  return std::max(columns, 1);
}

PngSheet::PngSheet(const std::string &path, int scale, int columns, int gap)
    : file_(path), scale_(scale), requested_columns_(columns), gap_(gap) {}

int PngSheet::columns() const {
  const int64_t count = frame_count();
  if (requested_columns_ == 0) return near_square_columns(count);
  return static_cast<int>(std::min<int64_t>(requested_columns_, std::max<int64_t>(count, 1)));
}

int PngSheet::rows() const {
  return static_cast<int>((frame_count() + columns() - 1) / columns());
}

namespace {

// A side of a grid of `cells` cells of `cell` pixels each, `gap` apart, in
// 64 bits.
int64_t grid_side(int64_t cells, int64_t cell, int gap) {
  return cells * cell + (cells - 1) * gap;
}

}  // namespace

int32_t PngSheet::image_width() const {
  return static_cast<int32_t>(grid_side(columns(), int64_t{cell_width_} * scale_, gap_));
}

int32_t PngSheet::image_height() const {
  return static_cast<int32_t>(grid_side(rows(), int64_t{cell_height_} * scale_, gap_));
}

void PngSheet::add_frame(const uint8_t *pixels, int32_t width, int32_t height,
                         const Palette &palette) {
  const int32_t cell_width = std::max(cell_width_, width);
  const int32_t cell_height = std::max(cell_height_, height);
  const int64_t count = frame_count() + 1;
  const std::string refusal = "cannot write '" + file_.target() + "': ";
  const std::string hint = "; choose fewer frames with --frames A..B";
  // Cells alone, before the grid adds empty ones and gaps: stop a long run
  // early.
  const int64_t scaled_width = int64_t{cell_width} * scale_;
  const int64_t scaled_height = int64_t{cell_height} * scale_;
  if (count * scaled_width * scaled_height > kMaxScaledPixels)
    throw OutputError(refusal + "a PNG of " + std::to_string(count) + " frames of " +
                      std::to_string(scaled_width) + "x" + std::to_string(scaled_height) +
                      " would hold more than " + std::to_string(kMaxScaledPixels) + " pixels" +
                      hint);
  // The whole sheet, each side first so that their product cannot overflow.
  const int64_t columns = requested_columns_ == 0 ? near_square_columns(count)
                                                  : std::min<int64_t>(requested_columns_, count);
  const int64_t sheet_width = grid_side(columns, scaled_width, gap_);
  const int64_t sheet_height = grid_side((count + columns - 1) / columns, scaled_height, gap_);
  if (sheet_width > kMaxScaledPixels || sheet_height > kMaxScaledPixels ||
      sheet_width * sheet_height > kMaxScaledPixels)
    throw OutputError(refusal + "a PNG of " + std::to_string(sheet_width) + "x" +
                      std::to_string(sheet_height) + " would hold more than " +
                      std::to_string(kMaxScaledPixels) + " pixels" + hint + " or other --columns");
  if (frames_.bytes() + frames_.cost(width, height, palette) > kMaxKeptFrameBytes)
    throw OutputError(refusal + "keeping " + std::to_string(count) +
                      " frames until the run ends would take more than " +
                      std::to_string(kMaxKeptFrameBytes) + " bytes" + hint);
  frames_.push_back(pixels, width, height, palette);
  cell_width_ = cell_width;
  cell_height_ = cell_height;
}

void PngSheet::compose_row(int32_t y, bool rgb, std::vector<uint8_t> &out) const {
  const int32_t cell_row = y / (cell_height_ * scale_ + gap_);
  const int32_t y_in_cell = y % (cell_height_ * scale_ + gap_);
  const size_t pixel_bytes = rgb ? 3 : 1;
  // Colour 0 first: the gaps between cells stay so.
  if (rgb)
    for (size_t x = 0; x < out.size(); x += 3)
      std::memcpy(&out[x], frames_.front().palette->data(), 3);
  else
    std::fill(out.begin(), out.end(), 0);
  if (y_in_cell >= cell_height_ * scale_) return;
  const int32_t frame_y = y_in_cell / scale_;
  const size_t cell_bytes = static_cast<size_t>(cell_width_) * static_cast<size_t>(scale_);
  std::vector<uint8_t> scaled(cell_bytes);
  for (int column = 0; column < columns(); ++column) {
    const size_t index = static_cast<size_t>(cell_row) * static_cast<size_t>(columns()) +
                         static_cast<size_t>(column);
    std::fill(scaled.begin(), scaled.end(), 0);
    const KeptFrame &colours = frames_[std::min(index, frames_.size() - 1)];
    if (index < frames_.size() && frame_y < frames_[index].height) {
      const KeptFrame &f = frames_[index];
      scale_row(f.pixels.data() + static_cast<size_t>(frame_y) * static_cast<size_t>(f.width),
                f.width, scale_, scaled.data());
    }
    uint8_t *cell_out = out.data() + (cell_bytes + static_cast<size_t>(gap_)) *
                                         static_cast<size_t>(column) * pixel_bytes;
    if (!rgb) {
      std::memcpy(cell_out, scaled.data(), cell_bytes);
      continue;
    }
    for (size_t x = 0; x < cell_bytes; ++x)
      std::memcpy(cell_out + 3 * x, colours.palette->data() + 3 * scaled[x], 3);
  }
}

void PngSheet::finish() {
  if (frames_.empty()) throw OutputError("cannot write '" + file_.target() + "': no frames");
  bool rgb = false;
  for (size_t i = 1; i < frames_.size(); ++i)
    rgb = rgb || *frames_[i].palette != *frames_.front().palette;
  PngWriter png(file_, image_width(), image_height(),
                rgb ? nullptr : frames_.front().palette.get());
  std::vector<uint8_t> row(static_cast<size_t>(image_width()) * (rgb ? 3 : 1));
  for (int32_t y = 0; y < image_height(); ++y) {
    compose_row(y, rgb, row);
    png.write_row(row.data());
  }
  png.finish();
  file_.commit();
}

}  // namespace kroplay
