// The recording's output chosen from plain values: its default name, its
// type by its name, the GIF delay for a frame rate.
#include "kroplay/record/output_choice.h"

#include <gtest/gtest.h>

namespace {

TEST(OutputChoice, DefaultOutputIsTheScriptBaseNameInTheWorkingFolder) {
  EXPECT_EQ("demo.gif", kroplay::default_output(""));
  EXPECT_EQ("waves.gif", kroplay::default_output("waves.lua"));
  EXPECT_EQ("waves.gif", kroplay::default_output("some/dir/waves.lua"));
  EXPECT_EQ("a.b.gif", kroplay::default_output("/x/a.b.lua"));
  EXPECT_EQ("noext.gif", kroplay::default_output("noext"));
  EXPECT_EQ(".hidden.gif", kroplay::default_output("dir/.hidden"));
#ifdef _WIN32
  EXPECT_EQ("waves.gif", kroplay::default_output("some\\dir/waves.lua"));
  EXPECT_EQ("waves.gif", kroplay::default_output("C:\\dir\\waves.lua"));
#else
  // A backslash is an ordinary character of a file name here.
  EXPECT_EQ("a\\b.gif", kroplay::default_output("dir/a\\b.lua"));
#endif
}

TEST(OutputChoice, GifDelayIsTheNearestWholeHundredth) {
  EXPECT_EQ(2, kroplay::gif_delay(50));
  EXPECT_EQ(100, kroplay::gif_delay(1));
  EXPECT_EQ(1, kroplay::gif_delay(100));
  EXPECT_EQ(3, kroplay::gif_delay(30));  // 3.33
  EXPECT_EQ(4, kroplay::gif_delay(24));  // 4.17
  EXPECT_EQ(7, kroplay::gif_delay(15));  // 6.67
  EXPECT_EQ(13, kroplay::gif_delay(8));  // 12.5 rounds up
}

TEST(OutputChoice, PngIsChosenByTheExtensionInAnyCase) {
  EXPECT_TRUE(kroplay::is_png_output("a.png") && kroplay::is_png_output("B.Png"));
  EXPECT_FALSE(kroplay::is_png_output("png") || kroplay::is_png_output("a.png.gif"));
}

}  // namespace
