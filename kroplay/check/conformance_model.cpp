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

// How far the platform's sin may lie from the exact sine, with margin:
// glibc's is within one ulp (2^-53 here), mingw's (the x87 fsin) loses up to
// about 1.3e-21 of the angle's size (2^-66 is 1.4e-20).
double sin_tolerance(double angle) {
  return 0x1p-51 + std::fabs(angle) * 0x1p-66;
}

// The effect's displacement at `row`, truncated, for the sine at both ends
// of the platform sin's tolerance: a conforming plug-in, whose sine is
// correct, may take either where a truncation boundary lies between them.
// False when either lies outside the 32-bit range, where the result is the
// plug-in's choice.
bool displacements(const WaveEffect &effect, int32_t row, int64_t base, int64_t (&out)[2]) {
  const double angle = static_cast<double>(row) * static_cast<double>(effect.frequency) +
                       static_cast<double>(effect.phase);
  const double sine = std::sin(angle), tolerance = sin_tolerance(angle);
  const double ends[2] = {sine - tolerance, sine + tolerance};
  for (int k = 0; k < 2; ++k) {
    const double value =
        std::trunc(static_cast<double>(base) + effect.amplitude * std::clamp(ends[k], -1.0, 1.0));
    if (!(value >= -2147483648.0 && value < 2147483648.0)) return false;
    out[k] = static_cast<int64_t>(value);
  }
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
  const WaveEffect *applied = effects_.applied();
  const size_t w = static_cast<size_t>(width);
  row_.resize(w);
  // The row the frame should show for displacement d, and how it arises.
  auto expected_row = [&](int32_t i, int64_t d, std::string &how) -> const uint8_t * {
    const uint8_t *source = background.data() + i * w;
    if (applied == &effects_.ripple) {
      d = std::clamp<int64_t>(d, 0, height - 1);
      how = "background row " + std::to_string(d) + " under the ripple";
      return background.data() + static_cast<size_t>(d) * w;
    }
    if (applied != &effects_.distortion) {
      how = "the same background row";
      return source;
    }
    d = std::clamp<int64_t>(d, 1 - static_cast<int64_t>(width), width - 1);
    const size_t shift = static_cast<size_t>(d >= 0 ? d : -d);
    std::fill(row_.begin(), row_.end(), 0);
    if (d >= 0)
      std::memcpy(row_.data() + shift, source, w - shift);
    else
      std::memcpy(row_.data(), source + shift, w - shift);
    how = "its background row shifted by " + std::to_string(d) + " under the distortion";
    return row_.data();
  };
  for (int32_t i = 0; i < height && width > 0; ++i) {
    int64_t candidates[2] = {0, 0};
    if (applied && !displacements(*applied, i, applied == &effects_.ripple ? i : 0, candidates))
      continue;
    const uint8_t *actual = frame + i * w;
    std::string how;
    const uint8_t *source = expected_row(i, candidates[1], how);
    if (std::memcmp(actual, source, w) == 0) continue;
    source = expected_row(i, candidates[0], how);
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
