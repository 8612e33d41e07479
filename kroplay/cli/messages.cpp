#include "kroplay/cli/messages.h"

namespace kroplay {

std::string one_line(std::string text) {
  for (char &c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

}  // namespace kroplay
