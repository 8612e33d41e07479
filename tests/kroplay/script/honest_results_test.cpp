// A script's failures say only what happened: a refused call changes
// nothing, and the error text cannot rewrite the terminal it is shown on.
#include <gtest/gtest.h>

#include "support/kroplay_runs.h"

TEST(KroplayScript, ARefusedCallChangesNothing) {
  TempDir dir;
  dir.write("refused.lua", "assert(not pcall(color, 5, 255, 300, 0))\nFILL(5)\nframe()\n");
  dir.write("plain.lua", "FILL(5)\nframe()\n");
  const ProgramRun refused = run_kroplay(dir, "--hash refused.lua");
  const ProgramRun plain = run_kroplay(dir, "--hash plain.lua");
  EXPECT_EQ(0, refused.status) << refused.err;
  EXPECT_EQ(plain.out, refused.out);
}

TEST(KroplayScript, ControlCharactersInAnErrorAreShownEscaped) {
  TempDir dir;
  // Erase the line, go back and claim success, ring, then a C1 escape.
  dir.write("fake.lua", "error('\\27[2K\\rkroplay: wrote fake.gif\\7 \\194\\155m', 0)\n");
  const ProgramRun run = run_kroplay(dir, "fake.lua");
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("kroplay: \\x1b[2K kroplay: wrote fake.gif\\x07 \\xc2\\x9bm\n", run.err);
}
