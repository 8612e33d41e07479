// kroplay's messages to the user: one line each, whatever they quote.
#ifndef KROPLAY_MESSAGES_H
#define KROPLAY_MESSAGES_H

#include <string>

namespace kroplay {

// `text` with its line breaks turned into spaces, so an error that quotes a
// script's multi-line message still takes one line.
std::string one_line(std::string text);

}  // namespace kroplay

#endif  // KROPLAY_MESSAGES_H
