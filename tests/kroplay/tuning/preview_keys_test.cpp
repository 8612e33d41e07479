// The key table in docs/preview.md lists the preview's keys as the key
// table does: the same entries in the same order, each meaning starting
// with the entry's label.
#include "kroplay/tuning/preview_keys.h"

#include <gtest/gtest.h>

#include "support/markdown_table.h"

namespace {

TEST(PreviewKeys, TheKeyTableInTheDocsFollowsTheCode) {
  const auto rows =
      markdown_table(read_text_file(KROPLAY_DOCS_DIR "/preview.md"), "| key | does |");
  const std::vector<kroplay::KeyEntry> entries = kroplay::key_entries();
  ASSERT_EQ(rows.size(), entries.size()) << "one row per key entry in docs/preview.md";
  for (size_t i = 0; i < rows.size(); ++i) {
    std::string keys;
    for (const std::string &key : entries[i].keys) keys += (keys.empty() ? "" : ", ") + key;
    ASSERT_EQ(rows[i].size(), 2u);
    EXPECT_EQ(rows[i][0], keys);
    EXPECT_EQ(rows[i][1].substr(0, entries[i].label.size()), entries[i].label) << keys;
  }
}

}  // namespace
