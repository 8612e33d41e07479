// The docs say what the option table says: docs/command-line.md has a row per
// option, in the table's order, whose meaning starts with the option's
// --help line, and the usage lines of --help; the docs name no option that
// kroplay lacks.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "kroplay/cli/help_text.h"
#include "kroplay/cli/option_table.h"
#include "support/markdown_table.h"

namespace {

using kroplay::option_table;

const std::string kDocs = KROPLAY_DOCS_DIR;

TEST(OptionDocs, TheOptionTableInTheDocsFollowsTheCode) {
  const std::string page = read_text_file(kDocs + "/command-line.md");
  const auto rows = markdown_table(page, "| option | meaning |");
  ASSERT_EQ(rows.size(), option_table().size()) << "one row per option in docs/command-line.md";
  for (size_t i = 0; i < rows.size(); ++i) {
    const kroplay::OptionRow &option = option_table()[i];
    ASSERT_EQ(rows[i].size(), 2u);
    EXPECT_EQ(rows[i][0], kroplay::option_spelling(option));
    const std::string help = kroplay::option_help(option);
    EXPECT_EQ(rows[i][1].substr(0, help.size()), help) << option.name;
  }
  const std::string help = kroplay::help_text("");
  const std::string usage_lines = help.substr(0, help.find("\n\n") + 1);
  EXPECT_NE(page.find("```\n" + usage_lines + "```\n"), std::string::npos) << usage_lines;
}

TEST(OptionDocs, EveryOptionTheDocsNameExists) {
  // Options of other programs that the docs show.
  const std::vector<std::string> others = {"--info", "--build"};
  const std::regex option("--[a-z][a-z0-9-]*");
  for (const std::string file : {"/command-line.md", "/conformance-check.md", "/../README.md"}) {
    const std::string text = read_text_file(kDocs + file);
    ASSERT_FALSE(text.empty()) << file;
    for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it) {
      const std::string name = it->str();
      if (std::find(others.begin(), others.end(), name) == others.end()) {
        EXPECT_NE(kroplay::find_option(name), nullptr) << name << " in " << file;
      }
    }
  }
}

}  // namespace
