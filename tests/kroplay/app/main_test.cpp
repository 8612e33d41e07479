// The kroplay program as a user starts it: the built-in demo, the defaults,
// --help and --version, and command lines it refuses; a preview of what
// is no script file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "support/kroplay_runs.h"

TEST(KroplayApp, BuiltInDemoAndDefaults) {
  TempDir dir;
  // Through a link from another folder: the plug-in is found beside the
  // real executable, whatever the working folder.
  ASSERT_EQ(0, symlink(KROPLAY_PATH, dir.file("kroplay").c_str()));
  const ProgramRun run = run_kroplay(dir, "--hash", dir.file("kroplay"));
  ASSERT_EQ(0, run.status) << run.err;
  const ReadGif gif = read_back(dir.file("demo.gif"));
  EXPECT_EQ(320, gif.width);
  EXPECT_EQ(200, gif.height);
  // One hash line per frame of the script, each frame 2/100 s; the file
  // holds fewer where frames repeat.
  const long frames = std::count(run.out.begin(), run.out.end(), '\n');
  EXPECT_GE(frames, 450);
  EXPECT_LE(frames, 550);
  long duration = 0;
  for (const ReadFrame &f : gif.frames) duration += f.delay;
  EXPECT_EQ(2 * frames, duration);
  EXPECT_LT(gif.frames.size(), static_cast<size_t>(frames));
  // The demo shipped in examples/ is the one built in.
  const ProgramRun shipped = run_kroplay(dir, "--hash '" KROPLAY_EXAMPLES_DIR "/demo.lua'");
  EXPECT_EQ(run.out, shipped.out);

  const ProgramRun help = run_kroplay(dir, "--help");
  EXPECT_EQ(0, help.status);
  EXPECT_NE(std::string::npos, help.out.find("usage: kroplay [SCRIPT.lua]"));
  const ProgramRun version = run_kroplay(dir, "--version");
  EXPECT_EQ(0, version.status);
  EXPECT_NE(std::string::npos, version.out.find("Lua 5.4"));
  const ProgramRun odd_rate = run_kroplay(dir, script("lines.lua") + " --fps 30");
  EXPECT_EQ(0, odd_rate.status);
  EXPECT_NE(std::string::npos, odd_rate.err.find("30 fps is written as 3/100 s per frame"));
}

TEST(KroplayApp, BadCommandLinesExitWithStatusTwo) {
  for (const std::string arguments :
       {"--bogus", "--size 0x5", "--size big", "--fps 0", "--fps 1000", "-o", "a.lua b.lua"}) {
    SCOPED_TRACE(arguments);
    TempDir dir;
    expect_failure(run_kroplay(dir, arguments), dir, 2, "(see kroplay --help)");
  }
}

TEST(KroplayApp, APreviewOfAScriptThatIsNoFileSaysWhy) {
  TempDir dir;
  ASSERT_EQ(0, mkdir(dir.file("art.lua").c_str(), 0755));
  const ProgramRun run = run_kroplay(dir, "--window art.lua");
  if (run.err.find("no preview window") != std::string::npos) GTEST_SKIP() << "built without SDL2";
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("kroplay: cannot open art.lua: not a regular file\n", run.err);
}
