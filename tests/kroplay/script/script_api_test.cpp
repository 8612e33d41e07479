// The functions kroplay gives a script beyond the plug-in's: refused bad
// calls, os.exit, print beside --hash.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/kroplay_runs.h"

TEST(KroplayScript, ScriptApiRefusesBadCallsWithNamedErrors) {
  TempDir dir;
  const ProgramRun run = run_kroplay(dir, script("api_errors.lua") + " --hash");
  EXPECT_EQ(0, run.status) << run.err;
  const ReadGif gif = read_back(dir.file("api_errors.gif"));
  ASSERT_EQ(1u, gif.frames.size());
  // One frame in the grey palette, where index i is the colour (i, i, i):
  // its hash from the indices those colours give, and that palette.
  kroplay::Palette grey;
  for (size_t i = 0; i < grey.size(); ++i) grey[i] = static_cast<uint8_t>(i / 3);
  std::vector<uint8_t> indices;
  for (size_t i = 0; i < gif.frames[0].rgb.size(); i += 3) indices.push_back(gif.frames[0].rgb[i]);
  EXPECT_EQ(hash_line(0, indices, grey), run.out);
}

TEST(KroplayScript, OsExitEndsTheScriptKeepingItsFramesAndStatus) {
  const struct {
    std::string call;
    int status;
  } cases[] = {{"os.exit(4)", 4},
               {"os.exit(false)", 1},
               {"os.exit()", 0},
               {"print(pcall(os.exit, 3)) frame()", 3},
               {"print(coroutine.resume(coroutine.create(function() os.exit(7) end)))", 7}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.call);
    TempDir dir;
    dir.write("exits.lua",
              "screen(4, 4) for i = 1, 3 do FILL(i) frame() end\n" + c.call + "\nframe(5)\n");
    const ProgramRun run = run_kroplay(dir, "exits.lua");
    EXPECT_EQ(c.status, run.status) << run.err;
    EXPECT_EQ("", run.out);  // not even pcall returns
    EXPECT_EQ("kroplay: wrote exits.gif (3 frames, 4x4)\n", run.err);
    EXPECT_EQ(3u, read_back(dir.file("exits.gif")).frames.size());
  }
}

TEST(KroplayScript, PrintGoesToStderrWhenStdoutCarriesFrames) {
  TempDir dir;
  dir.write(
      "talks.lua",
      "screen(2, 2) frame()\nprint('a', 1, nil)\nio.write('b\\n')\nio.stdout:write('c\\n')\n");
  const ProgramRun plain = run_kroplay(dir, "talks.lua");
  EXPECT_EQ("a\t1\tnil\nb\nc\n", plain.out);
  const ProgramRun hashed = run_kroplay(dir, "talks.lua --hash");
  EXPECT_EQ(0u, hashed.out.find("frame 0 ")) << hashed.out;
  EXPECT_EQ(1, std::count(hashed.out.begin(), hashed.out.end(), '\n')) << hashed.out;
  EXPECT_EQ(0u, hashed.err.find("a\t1\tnil\nb\nc\n")) << hashed.err;
  const ProgramRun piped = shell(dir, "$K talks.lua -o - > piped.gif");
  EXPECT_EQ(0u, piped.err.find("a\t1\tnil\nb\nc\n")) << piped.err;
  EXPECT_EQ(1u, read_back(dir.file("piped.gif")).frames.size());
}
