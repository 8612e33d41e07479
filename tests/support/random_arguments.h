// Script arguments drawn at random for a screen of a given size, shared by
// the random host sessions, the fuzzer's seeds and the soak run.
#ifndef WAVEFX_TESTS_RANDOM_ARGUMENTS_H
#define WAVEFX_TESTS_RANDOM_ARGUMENTS_H

#include <cstdint>
#include <iterator>
#include <limits>
#include <random>

// One in four: a boundary value or a value around the screen's edges; one
// in four: any 32-bit value; otherwise a small value in [-300, 300].
inline int32_t random_argument(std::mt19937 &random, int32_t width, int32_t height) {
  const auto pick = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
  const int32_t w = width, h = height;
  const int32_t choices[] = {0,
                             1,
                             -1,
                             2,
                             3,
                             5,
                             10,
                             15,
                             20,
                             100,
                             255,
                             256,
                             300,
                             -300,
                             std::numeric_limits<int32_t>::min(),
                             std::numeric_limits<int32_t>::max(),
                             w - 1,
                             w,
                             w + 1,
                             -w,
                             h - 1,
                             h,
                             h + 1,
                             -h};
  switch (pick(4)) {
    case 0:
      return choices[pick(static_cast<uint32_t>(std::size(choices)))];
    case 1:
      return static_cast<int32_t>(random());
    default:
      return static_cast<int32_t>(pick(601)) - 300;
  }
}

#endif  // WAVEFX_TESTS_RANDOM_ARGUMENTS_H
