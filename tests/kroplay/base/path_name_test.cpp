// The folder part of a path, which the plug-in's default path is built
// from: the root kept, and only this platform's separators splitting it.
#include "kroplay/base/path_name.h"

#include <gtest/gtest.h>

TEST(PathName, FolderOfSplitsAtThisPlatformsLastSeparator) {
  EXPECT_EQ("dir/sub", kroplay::folder_of("dir/sub/kroplay"));
  EXPECT_EQ("/", kroplay::folder_of("/kroplay"));
  EXPECT_EQ(".", kroplay::folder_of("kroplay"));
  EXPECT_EQ(".", kroplay::folder_of(""));
#ifdef _WIN32
  EXPECT_EQ("C:\\games", kroplay::folder_of("C:\\games\\kroplay.exe"));
  EXPECT_EQ("C:\\games", kroplay::folder_of("C:\\games/kroplay.exe"));
#else
  // A backslash is an ordinary character of a folder's name here.
  EXPECT_EQ("/opt", kroplay::folder_of("/opt/a\\kroplay"));
#endif
}
