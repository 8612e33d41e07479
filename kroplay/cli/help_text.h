// kroplay --help.
#ifndef KROPLAY_HELP_TEXT_H
#define KROPLAY_HELP_TEXT_H

#include <string>

namespace kroplay {

// One entry of a --help list: `term` indented, `text` beside it in a column
// of its own, wrapped to 80 columns; a term too wide for its column has a
// line of its own.
std::string help_entry(const std::string &term, const std::string &text);

// The usage lines, from the option table, each after "usage: " or its
// indent.
std::string usage_text();

// What kroplay does, where its documents are installed and what its exit
// statuses mean: paragraphs of plain text, for --help and the manual page.
extern const char *const kDescription;
extern const char *const kDocumentsText;
extern const char *const kExitStatusText;

// The whole help: the usage lines and the options, both from the option
// table, then `preview_keys` (the preview's key section, which the preview
// owns), then the exit statuses and where the documents are.
std::string help_text(const std::string &preview_keys);

// --help's section on the preview's keys, from the preview's key table,
// ending in a line break.
std::string keys_for_help();

}  // namespace kroplay

#endif  // KROPLAY_HELP_TEXT_H
