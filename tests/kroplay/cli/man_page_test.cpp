// The manual page the packages install, kroplay.1, has an entry for every
// option of the option table, spelled and explained as --help does, with
// its hyphens escaped so that man shows and finds them as typed.
#include <gtest/gtest.h>

#include "kroplay/cli/option_table.h"
#include "support/markdown_table.h"

namespace {

// `text` with each '-' as roff's "\-".
std::string hyphens_escaped(const std::string &text) {
  std::string out;
  for (const char c : text) out += c == '-' ? std::string("\\-") : std::string(1, c);
  return out;
}

TEST(ManPage, EveryOptionHasItsEntry) {
  const std::string page = read_text_file(KROPLAY_MAN_PAGE);
  ASSERT_FALSE(page.empty()) << KROPLAY_MAN_PAGE;
  for (const kroplay::OptionRow &row : kroplay::option_table()) {
    const std::string entry = ".TP\n\\fB" + hyphens_escaped(kroplay::option_spelling(row)) +
                              "\\fR\n" + hyphens_escaped(kroplay::option_help(row)) + "\n";
    EXPECT_NE(page.find(entry), std::string::npos) << entry;
  }
}

}  // namespace
