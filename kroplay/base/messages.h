// kroplay's messages to the user: one line each, whatever they quote.
#ifndef KROPLAY_MESSAGES_H
#define KROPLAY_MESSAGES_H

#include <string>

namespace kroplay {

// `text` as one line of plain text: line breaks become spaces, so an error
// that quotes a script's multi-line message still takes one line, and every
// other control character (C0, DEL, and the C1 controls U+0080..U+009F in
// UTF-8) is shown as \xHH, so that no quoted text can move the cursor, erase
// the line or start an escape sequence on a terminal or in a window title.
std::string one_line(const std::string &text);

}  // namespace kroplay

#endif  // KROPLAY_MESSAGES_H
