#include "kroplay/base/quoted.h"

namespace kroplay {
namespace {

std::string length_of(std::string_view text) {
  return " (" + std::to_string(text.size()) + " bytes)";
}

}  // namespace

std::string shortened(std::string_view text, size_t keep) {
  if (text.size() <= keep) return std::string(text);
  return std::string(text.substr(0, keep)) + "..." + length_of(text);
}

std::string quoted(std::string_view text) {
  if (text.size() <= kQuotedBytes) return "'" + std::string(text) + "'";
  return "'" + std::string(text.substr(0, kQuotedBytes)) + "...'" + length_of(text);
}

}  // namespace kroplay
