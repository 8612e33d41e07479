// The boundary arguments of the --check run, for a screen of a given size.
#ifndef KROPLAY_CONFORMANCE_CASES_H
#define KROPLAY_CONFORMANCE_CASES_H

#include <cstdint>
#include <string>
#include <vector>

namespace kroplay {

// Argument lists (first to last) to call `function` with on a width x
// height screen: 0, +-1, the 32-bit extremes, values just outside the
// screen, out-of-range colours and selectors.
std::vector<std::vector<int32_t>> boundary_arguments(const std::string &function, int32_t width,
                                                     int32_t height);

}  // namespace kroplay

#endif  // KROPLAY_CONFORMANCE_CASES_H
