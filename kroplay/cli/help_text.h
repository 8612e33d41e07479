// kroplay --help.
#ifndef KROPLAY_HELP_TEXT_H
#define KROPLAY_HELP_TEXT_H

#include <string>

namespace kroplay {

// One entry of a --help list: `term` indented, `text` beside it in a column
// of its own, wrapped to 80 columns; a term too wide for its column has a
// line of its own.
std::string help_entry(const std::string &term, const std::string &text);

// The whole help: the usage lines and the options, both from the option
// table, then `preview_keys` (the preview's key section, which the preview
// owns), then the exit statuses.
std::string help_text(const std::string &preview_keys);

// --help's section on the preview's keys, from the preview's key table,
// ending in a line break.
std::string keys_for_help();

}  // namespace kroplay

#endif  // KROPLAY_HELP_TEXT_H
