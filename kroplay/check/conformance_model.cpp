#include "kroplay/check/conformance_model.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace kroplay {
namespace {

uint8_t colour(int32_t value) {
  return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

// The effect's displacement at `row`, truncated; false when it lies
// outside the 32-bit range, where the result is the plug-in's choice.
bool displacement(const EffectState &effect, int32_t row, int64_t base, int64_t &out) {
  const double angle = static_cast<double>(row) * static_cast<double>(effect.frequency) +
                       static_cast<double>(effect.phase);
  const double value = std::trunc(static_cast<double>(base) + effect.amplitude * std::sin(angle));
  if (!(value >= -2147483648.0 && value < 2147483648.0)) return false;
  out = static_cast<int64_t>(value);
  return true;
}

}  // namespace

int32_t PluginModel::call(const std::string &name, const std::vector<int32_t> &arguments,
                          std::vector<uint8_t> &background, int32_t width, int32_t height) {
  const bool pixels = width > 0 && height > 0;
  int32_t result = 0;
  if (effects_.apply(name, arguments.data(), static_cast<int>(arguments.size()), result))
    return result;
  if (name == "HOW_WIDE") return width;
  if (name == "HOW_HIGH") return height;
  if (name == "FILL") {
    std::fill(background.begin(), background.end(), colour(arguments[0]));
    return 0;
  }
  if (name == "PUT_HLINE") {
    if (pixels) {
      const int32_t row = std::clamp(arguments[0], 0, height - 1);
      std::fill_n(background.begin() + static_cast<ptrdiff_t>(row) * width, width,
                  colour(arguments[1]));
    }
    return 0;
  }
  if (name == "PUT_VLINE") {
    if (pixels) {
      const int32_t column = std::clamp(arguments[0], 0, width - 1);
      for (int32_t r = 0; r < height; ++r)
        background[static_cast<size_t>(r) * width + column] = colour(arguments[1]);
    }
    return 0;
  }
  throw std::invalid_argument("no model of " + name);
}

std::string PluginModel::check_frame(const std::vector<uint8_t> &background, const uint8_t *frame,
                                     int32_t width, int32_t height) {
  const EffectState *applied = effects_.applied();
  const size_t w = static_cast<size_t>(width);
  row_.resize(w);
  for (int32_t i = 0; i < height && width > 0; ++i) {
    const uint8_t *source = background.data() + i * w;
    std::string how = "the same background row";
    int64_t d = 0;
    if (applied == &effects_.ripple) {
      if (!displacement(effects_.ripple, i, i, d)) continue;
      d = std::clamp<int64_t>(d, 0, height - 1);
      source = background.data() + static_cast<size_t>(d) * w;
      how = "background row " + std::to_string(d) + " under the ripple";
    } else if (applied == &effects_.distortion) {
      if (!displacement(effects_.distortion, i, 0, d)) continue;
      d = std::clamp<int64_t>(d, 1 - static_cast<int64_t>(width), width - 1);
      const size_t shift = static_cast<size_t>(d >= 0 ? d : -d);
      std::fill(row_.begin(), row_.end(), 0);
      if (d >= 0)
        std::memcpy(row_.data() + shift, source, w - shift);
      else
        std::memcpy(row_.data(), source + shift, w - shift);
      source = row_.data();
      how = "its background row shifted by " + std::to_string(d) + " under the distortion";
    }
    const uint8_t *actual = frame + i * w;
    if (std::memcmp(actual, source, w) == 0) continue;
    size_t x = 0;
    while (actual[x] == source[x]) ++x;
    return "frame row " + std::to_string(i) + " should be " + how + ", but pixel " +
           std::to_string(x) + " is " + std::to_string(actual[x]) + ", not " +
           std::to_string(source[x]);
  }
  effects_.frame_composed();
  return "";
}

}  // namespace kroplay
