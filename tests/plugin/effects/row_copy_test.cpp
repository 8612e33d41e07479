// The frame hook's inline row copy against memmove, on ranges apart and
// overlapping (a host may hand over one bitmap as both frame and background).
#include "effects/row_copy.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(RowCopyTest, MatchesMemmoveForEveryLengthAndDistance) {
  const size_t longest = wavefx::kInlineCopyBytes + 40;
  std::vector<uint8_t> moved(3 * longest), expected(3 * longest);
  for (size_t bytes : {size_t{0}, size_t{1}, size_t{3}, size_t{4}, size_t{7}, size_t{8}, size_t{15},
                       size_t{16}, size_t{17}, size_t{31}, size_t{33}, size_t{320}, size_t{641},
                       wavefx::kInlineCopyBytes, longest}) {
    for (long distance = -40; distance <= 40; ++distance) {
      for (size_t i = 0; i < moved.size(); ++i)
        moved[i] = expected[i] = static_cast<uint8_t>(i * 7 + 1);
      const size_t from = longest, to = static_cast<size_t>(static_cast<long>(longest) + distance);
      wavefx::move_bytes(moved.data() + to, moved.data() + from, bytes);
      std::memmove(expected.data() + to, expected.data() + from, bytes);
      ASSERT_EQ(moved, expected) << bytes << " bytes moved by " << distance;
    }
    // Ranges far apart, as with separate bitmaps.
    for (size_t i = 0; i < moved.size(); ++i)
      moved[i] = expected[i] = static_cast<uint8_t>(i * 5 + 3);
    wavefx::move_bytes(moved.data() + 2 * longest, moved.data(), bytes);
    std::memmove(expected.data() + 2 * longest, expected.data(), bytes);
    ASSERT_EQ(moved, expected) << bytes << " bytes between ranges apart";
  }
}

}  // namespace
