#include "kroplay/check/conformance_cases.h"

#include <algorithm>
#include <limits>

namespace kroplay {

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

std::vector<int32_t> distinct(std::vector<int32_t> values) {
  std::vector<int32_t> out;
  for (int32_t v : values)
    if (std::find(out.begin(), out.end(), v) == out.end()) out.push_back(v);
  return out;
}

// An index along a side of `size`: both edges and just outside them.
std::vector<int32_t> indices(int32_t size) {
  return distinct({0, 1, -1, size - 1, size, size + 1, kMin, kMax});
}

std::vector<int32_t> colours() {
  return {0, 1, 255, 256, -1, 128, kMin, kMax};
}

}  // namespace

std::vector<std::vector<int32_t>> boundary_arguments(const std::string &function, int32_t width,
                                                     int32_t height) {
  const std::vector<int32_t> values = distinct(
      {0, 1, -1, 2, kMin, kMax, kMin + 1, kMax - 1, width, width + 1, height, height + 1, 256});
  std::vector<std::vector<int32_t>> cases;
  if (function == "START_RIPPLE" || function == "START_DISTORT") {
    // Each of speed, frequency and amplitude in turn, the others ordinary.
    for (size_t position = 0; position < 3; ++position)
      for (int32_t v : values) {
        std::vector<int32_t> args = {5, 10, 20};
        args[position] = v;
        cases.push_back(args);
      }
    cases.push_back({kMax, kMax, kMax});
    cases.push_back({kMin, kMin, kMin});
    cases.push_back({kMin, kMax, kMin});
    cases.push_back({100, 100, height});
    cases.push_back({-100, 50, -width});
  } else if (function == "CHANGE_RVAL" || function == "CHANGE_DVAL") {
    for (int32_t selector : {0, 1, 2, -1, 3, kMin, kMax})
      for (int32_t v : values) cases.push_back({v, selector});
  } else if (function == "FILL") {
    for (int32_t c : colours()) cases.push_back({c});
  } else if (function == "PUT_HLINE" || function == "PUT_VLINE") {
    for (int32_t index : indices(function == "PUT_HLINE" ? height : width))
      for (int32_t c : colours()) cases.push_back({index, c});
  } else {
    cases.push_back({});
  }
  return cases;
}

}  // namespace kroplay
