// The script functions' tables in the docs follow the code: kroplay's own
// functions in docs/script-api.md are the rows of its function table, and
// the plug-in's eleven, between the page's markers (which the playground
// reads) and in the README, are the contract's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kro_abi.h"
#include "kroplay/script/script_api.h"
#include "support/markdown_table.h"

namespace {

const std::string kDocs = KROPLAY_DOCS_DIR;

struct ContractFunction {
  std::string name, arguments;
};

const std::vector<ContractFunction> &contract_functions() {
#define CONTRACT_FUNCTION_(name, count, arguments, result) {#name, arguments},
  static const std::vector<ContractFunction> functions = {KRO_SCRIPT_FUNCTIONS(CONTRACT_FUNCTION_)};
#undef CONTRACT_FUNCTION_
  return functions;
}

TEST(ScriptDocs, KroplaysFunctionTableFollowsTheCode) {
  const auto rows =
      markdown_table(read_text_file(kDocs + "/script-api.md"), "| function | what it does |");
  std::vector<std::string> names;
  for (const auto &row : rows) names.push_back(row.at(0).substr(0, row.at(0).find('(')));
  EXPECT_EQ(names, kroplay::ScriptApi::host_function_names());
}

TEST(ScriptDocs, ThePlugInsFunctionsStandBetweenTheMarkers) {
  const std::string page = read_text_file(kDocs + "/script-api.md");
  const size_t begin = page.find("\n<!-- functions:begin -->\n");
  const size_t end = page.find("\n<!-- functions:end -->\n");
  ASSERT_LT(begin, end);
  const auto rows = markdown_table(page.substr(begin, end - begin + 1),
                                   "| function | arguments | result | what it does |");
  ASSERT_EQ(rows.size(), contract_functions().size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const ContractFunction &f = contract_functions()[i];
    EXPECT_EQ(rows[i].at(0), f.name);
    EXPECT_EQ(rows[i].at(1), f.arguments.empty() ? "none" : f.arguments) << f.name;
  }
}

TEST(ScriptDocs, TheReadmeNamesEveryPlugInFunction) {
  const auto rows =
      markdown_table(read_text_file(kDocs + "/../README.md"), "| function | arguments |");
  std::string names;
  for (const auto &row : rows) names += row.at(0) + ", ";
  for (const ContractFunction &f : contract_functions())
    EXPECT_NE(names.find(f.name + ", "), std::string::npos) << f.name;
}

}  // namespace
