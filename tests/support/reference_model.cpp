#include "support/reference_model.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "support/reference_sine.h"

namespace {

// The single-precision 0.01 that the CHANGE_ functions multiply by, written
// out as the exact double it is.
constexpr double kSingleCentiradian = 0.009999999776482582092285156250;

void start(ModelEffect &e, const std::vector<int32_t> &args) {
  e.speed = static_cast<float>(static_cast<double>(args[0]) * 0.01);
  e.frequency = static_cast<float>(static_cast<double>(static_cast<float>(args[1])) * 0.01);
  e.amplitude = args[2];
  e.phase = 0.0f;
  e.on = true;
}

int32_t change(ModelEffect &e, const std::vector<int32_t> &args) {
  const int32_t value = args[0];
  const int32_t selector = args[1];
  const float scaled = static_cast<float>(static_cast<double>(value) * kSingleCentiradian);
  if (selector == 0) e.speed = scaled;
  if (selector == 1) e.frequency = scaled;
  if (selector == 2) e.amplitude = value;
  return selector >= 0 && selector <= 2 ? 1 : 0;
}

double displacement(const ModelEffect &e, int64_t row) {
  const double angle =
      static_cast<double>(row) * static_cast<double>(e.frequency) + static_cast<double>(e.phase);
  return static_cast<double>(e.amplitude) * reference_sine(angle);
}

}  // namespace

int32_t ReferenceModel::call(const std::string &name, const std::vector<int32_t> &args,
                             std::vector<uint8_t> &background, int32_t width, int32_t height) {
  const bool has_pixels = width > 0 && height > 0;
  auto colour = [](int32_t c) { return static_cast<uint8_t>(std::clamp(c, 0, 255)); };
  if (name == "START_RIPPLE") return start(ripple, args), 1;
  if (name == "STOP_RIPPLE") return ripple.on = false, 0;
  if (name == "START_DISTORT") return start(distortion, args), 0;
  if (name == "STOP_DISTORT") return distortion.on = false, 0;
  if (name == "CHANGE_RVAL") return change(ripple, args);
  if (name == "CHANGE_DVAL") return change(distortion, args);
  if (name == "HOW_WIDE") return width;
  if (name == "HOW_HIGH") return height;
  if (name == "FILL") {
    if (has_pixels) std::fill(background.begin(), background.end(), colour(args[0]));
    return 0;
  }
  if (name == "PUT_HLINE" || name == "PUT_VLINE") {
    if (!has_pixels) return 0;
    const bool horizontal = name == "PUT_HLINE";
    const int32_t line = std::clamp(args[0], 0, (horizontal ? height : width) - 1);
    for (int64_t y = 0; y < height; ++y)
      for (int64_t x = 0; x < width; ++x)
        if ((horizontal ? y : x) == line)
          background[static_cast<size_t>(y * width + x)] = colour(args[1]);
    return 0;
  }
  throw std::invalid_argument("unknown script function " + name);
}

void ReferenceModel::compose(const std::vector<uint8_t> &background, std::vector<uint8_t> &frame,
                             int32_t width, int32_t height) {
  ModelEffect *applied = ripple.on ? &ripple : distortion.on ? &distortion : nullptr;
  for (int64_t y = 0; y < height; ++y) {
    // The row's displacement, once per row (a sine is dear with MPFR).
    int64_t source_y = y;
    int64_t shift_x = 0;
    if (applied == &ripple) {
      const double row = std::trunc(static_cast<double>(y) + displacement(ripple, y));
      source_y = static_cast<int64_t>(std::clamp(row, 0.0, static_cast<double>(height - 1)));
    } else if (applied == &distortion) {
      const double shift = std::clamp(std::trunc(displacement(distortion, y)), 1.0 - width,
                                      static_cast<double>(width) - 1.0);
      shift_x = static_cast<int64_t>(shift);
    }
    for (int64_t x = 0; x < width; ++x) {
      const int64_t source_x = x - shift_x;
      const bool inside = source_x >= 0 && source_x < width;
      frame[static_cast<size_t>(y * width + x)] =
          inside ? background[static_cast<size_t>(source_y * width + source_x)] : 0;
    }
  }
  if (applied != nullptr) applied->phase = applied->phase + applied->speed;
}
