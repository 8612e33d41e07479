// Outputs by name: the longest legal name is written and named whole, the
// plug-in is never overwritten, and a failed scratch file is named.
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

TEST(KroplayOutput, AFullScratchFolderIsNamedWhenWritingToStandardOutput) {
  TempDir dir;
  // Rows of many colours: far more GIF than the 16 KiB folder holds.
  dir.write("big.lua",
            "screen(1024, 1024)\nfor f = 1, 4 do\n"
            "  for r = 0, 1023 do PUT_HLINE(r, (r * 7919 + f * 31) % 256) end\n"
            "  frame()\nend\n");
  if (shell(dir, "unshare -rm true").status != 0) GTEST_SKIP() << "no mount namespace here";
  const ProgramRun run = shell(dir,
                               "mkdir full && unshare -rm sh -c 'mount -t tmpfs -o size=16k tmpfs "
                               "full && TMPDIR=$PWD/full exec '$K' big.lua -o -'");
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(0u, run.err.find("kroplay: cannot write '" + dir.file("full/kroplay-output.")))
      << run.err;
  EXPECT_NE(std::string::npos, run.err.find(": No space left on device\n")) << run.err;
  EXPECT_EQ("", run.out);
}
