#include "kroplay/cli/man_page.h"

#include "kroplay/cli/help_text.h"
#include "kroplay/cli/option_table.h"

namespace kroplay {
namespace {

// `text` as roff text: backslashes and hyphens escaped (an unescaped "-"
// may print as a dash), and a line starting with '.' or '\'' kept from
// being read as a request.
std::string roff(const std::string &text) {
  std::string out;
  bool line_start = true;
  for (const char c : text) {
    if (line_start && (c == '.' || c == '\'')) out += "\\&";
    if (c == '\\')
      out += "\\\\";
    else if (c == '-')
      out += "\\-";
    else
      out += c;
    line_start = c == '\n';
  }
  return out;
}

// A tagged paragraph: `term` in bold, `text` indented below it.
std::string entry(const std::string &term, const std::string &text) {
  return ".TP\n\\fB" + roff(term) + "\\fR\n" + roff(text) + "\n";
}

// The usage lines without their "usage: " lead, which every line's indent
// matches.
std::string synopsis() {
  constexpr size_t kLead = sizeof "usage: " - 1;
  std::string lines;
  const std::string usage = usage_text();
  for (size_t start = 0; start < usage.size();) {
    const size_t end = usage.find('\n', start);
    lines += usage.substr(start + kLead, end + 1 - start - kLead);
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::string man_page(const std::vector<std::pair<std::string, std::string>> &keys,
                     const std::string &version) {
  std::string page = ".TH KROPLAY 1 \"\" \"wavefx " + roff(version) + "\" \"User Commands\"\n" +
                     ".SH NAME\n"
                     "kroplay \\- runs Lua scripts against a wavefx plug-in, records GIFs and "
                     "PNGs, previews them live and checks plug-ins\n"
                     ".SH SYNOPSIS\n.nf\n" +
                     roff(synopsis()) + ".fi\n.SH DESCRIPTION\n" + roff(kDescription) +
                     ".SH OPTIONS\nThe value follows after a space or '='.\n";
  for (const OptionRow &row : option_table()) page += entry(option_spelling(row), option_help(row));
  page += ".SH KEYS\nIn the window of \\-\\-window:\n";
  for (const auto &[key, what] : keys) page += entry(key, what);
  return page + ".SH EXIT STATUS\n" + roff(kExitStatusText) + ".SH SEE ALSO\n" +
         roff(kDocumentsText);
}

}  // namespace kroplay
