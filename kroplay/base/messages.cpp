#include "kroplay/base/messages.h"

#include <cstdio>

namespace kroplay {
namespace {

void append_escaped(std::string &out, unsigned char byte) {
  char escape[5];
  std::snprintf(escape, sizeof escape, "\\x%02x", byte);
  out += escape;
}

}  // namespace

std::string one_line(const std::string &text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '\n' || byte == '\r') {
      out += ' ';
    } else if (byte < 0x20 || byte == 0x7f) {
      append_escaped(out, byte);
    } else if (byte == 0xc2 && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9f &&
               static_cast<unsigned char>(text[i + 1]) >= 0x80) {
      // A C1 control in UTF-8, which terminals obey like its escape form.
      append_escaped(out, byte);
      append_escaped(out, static_cast<unsigned char>(text[++i]));
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace kroplay
