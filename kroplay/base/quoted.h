// Strings from a script or a file name quoted in an error message: a long
// one is cut, so that a huge name costs no huge message.
#ifndef KROPLAY_QUOTED_H
#define KROPLAY_QUOTED_H

#include <cstddef>
#include <string>
#include <string_view>

namespace kroplay {

// Bytes of a long string that a message keeps.
inline constexpr size_t kQuotedBytes = 200;

// `text`, or, when longer than `keep` bytes, its first `keep` bytes, "...",
// and its length: "abc... (1000000 bytes)".
std::string shortened(std::string_view text, size_t keep = kQuotedBytes);

// shortened(text) in single quotes, the length after them:
// 'abc...' (1000000 bytes).
std::string quoted(std::string_view text);

}  // namespace kroplay

#endif  // KROPLAY_QUOTED_H
