// Outputs by name: the longest legal name is written and named whole, the
// plug-in is never overwritten, a failed scratch file is named, and a GIF
// needs none.
#include <gtest/gtest.h>

#include "support/kroplay_runs.h"

TEST(KroplayOutput, ALongestOutputNameIsWrittenAndNamedWhole) {
  TempDir dir;
  dir.write("one.lua", "frame()\n");
  // 254 bytes: one short of the limit, no room for a temporary suffix.
  const std::string output = dir.file(std::string(250, 'x') + ".gif");
  const ProgramRun run = run_kroplay(dir, "one.lua -o " + output);
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ("kroplay: wrote " + output + " (1 frame, 320x200)\n", run.err);
  EXPECT_EQ((std::vector<std::string>{"one.lua", std::string(250, 'x') + ".gif"}), dir.entries());
}

TEST(KroplayOutput, RefusesToWriteOverThePlugIn) {
  TempDir dir;
  dir.write("one.lua", "frame()\n");
  dir.write("copy" MODULE_SUFFIX, slurp(WAVEFX_MODULE_PATH));
  const ProgramRun run =
      run_kroplay(dir, "one.lua --plugin ./copy" MODULE_SUFFIX " -o copy" MODULE_SUFFIX);
  EXPECT_EQ(2, run.status);
  EXPECT_EQ("kroplay: -o copy" MODULE_SUFFIX
            " is the plug-in itself; choose another output (see kroplay --help)\n",
            run.err);
  EXPECT_EQ(slurp(WAVEFX_MODULE_PATH), slurp(dir.file("copy" MODULE_SUFFIX)));
}

TEST(KroplayOutput, AFullScratchFolderIsNamedWhenWritingAPngToAFifo) {
  TempDir dir;
  // 40,000 pseudo-random pixels: far more PNG than the 16 KiB folder holds.
  dir.write("big.lua",
            "screen(200, 200)\nlocal s = 1\nfor y = 0, 199 do for x = 0, 199 do\n"
            "  s = (s * 1103515245 + 12345) % 2147483648\n"
            "  rect(x, y, 1, 1, (s >> 16) & 255)\nend end\nframe()\n");
  if (shell(dir, "unshare -rm true").status != 0) GTEST_SKIP() << "no mount namespace here";
  const ProgramRun run = shell(dir,
                               "mkdir full && mkfifo out.png && unshare -rm sh -c 'mount -t tmpfs "
                               "-o size=16k tmpfs full && { cat out.png >/dev/null & } && "
                               "TMPDIR=$PWD/full exec '$K' big.lua -o out.png'");
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(0u, run.err.find("kroplay: cannot write '" + dir.file("full/kroplay-output.")))
      << run.err;
  EXPECT_NE(std::string::npos, run.err.find(": No space left on device\n")) << run.err;
}

TEST(KroplayOutput, AGifGoesToStandardOutputWithoutAScratchFile) {
  TempDir dir;
  dir.write("one.lua", "FILL(3)\nframe()\nPUT_HLINE(5, 9)\nframe()\n");
  const ProgramRun file = run_kroplay(dir, "one.lua -o one.gif");
  ASSERT_EQ(0, file.status) << file.err;
  // TMPDIR names no folder: a scratch file could not be made.
  const ProgramRun run = shell(dir, "TMPDIR=$PWD/none \"$K\" one.lua -o -");
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(slurp(dir.file("one.gif")), run.out);
}
