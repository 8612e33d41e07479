// kroplay never reports something other than what happened: a refused
// call changes nothing, quoted text cannot rewrite the terminal, legal
// output names are written and named whole, outputs that would destroy the
// plug-in are refused, and a failed write names the file that failed.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

std::string slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

ProgramRun kroplay(const std::string &arguments) {
  return run_program(KROPLAY_PATH, arguments);
}

TEST(KroplayMisleadingResults, ARefusedCallChangesNothing) {
  TempDir dir;
  dir.write("refused.lua", "assert(not pcall(color, 5, 255, 300, 0))\nFILL(5)\nframe()\n");
  dir.write("plain.lua", "FILL(5)\nframe()\n");
  const ProgramRun refused =
      kroplay("--hash -o " + dir.file("a.gif") + " " + dir.file("refused.lua"));
  const ProgramRun plain = kroplay("--hash -o " + dir.file("b.gif") + " " + dir.file("plain.lua"));
  EXPECT_EQ(0, refused.status) << refused.err;
  EXPECT_EQ(plain.out, refused.out);
}

TEST(KroplayMisleadingResults, ControlCharactersInAScriptsErrorAreShownEscaped) {
  TempDir dir;
  // Erase the line, go back and claim success, ring, then a C1 escape.
  dir.write("fake.lua", "error('\\27[2K\\rkroplay: wrote fake.gif\\7 \\194\\155m', 0)\n");
  const ProgramRun run = kroplay(dir.file("fake.lua"));
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("kroplay: \\x1b[2K kroplay: wrote fake.gif\\x07 \\xc2\\x9bm\n", run.err);
}

TEST(KroplayMisleadingResults, ALongestOutputNameIsWrittenAndNamedWhole) {
  TempDir dir;
  dir.write("one.lua", "frame()\n");
  // 254 bytes: one short of the limit, no room for a temporary suffix.
  const std::string output = dir.file(std::string(250, 'x') + ".gif");
  const ProgramRun run = kroplay(dir.file("one.lua") + " -o " + output);
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ("kroplay: wrote " + output + " (1 frame, 320x200)\n", run.err);
  EXPECT_EQ((std::vector<std::string>{"one.lua", std::string(250, 'x') + ".gif"}), dir.entries());
}

TEST(KroplayMisleadingResults, APngSheetWiderThanAMillionPixelsIsWritten) {
  TempDir dir;
  dir.write("wide.lua", "screen(16384, 1)\nfor i = 1, 100 do FILL(i) frame() end\n");
  const ProgramRun run =
      kroplay(dir.file("wide.lua") + " --columns 100 -o " + dir.file("wide.png"));
  EXPECT_EQ(0, run.status) << run.err;
  // The width in the header: 1638400, big-endian at byte 16.
  const std::string png = slurp(dir.file("wide.png"));
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(std::string("\x00\x19\x00\x00\x00\x00\x00\x01", 8), png.substr(16, 8));
}

TEST(KroplayMisleadingResults, AnOutputThatIsThePlugInIsRefused) {
  TempDir dir;
  dir.write("one.lua", "frame()\n");
  const std::string plugin = dir.file("copy" MODULE_SUFFIX);
  dir.write("copy" MODULE_SUFFIX, slurp(WAVEFX_MODULE_PATH));
  const ProgramRun run = kroplay(dir.file("one.lua") + " --plugin " + plugin + " -o " + plugin);
  EXPECT_EQ(2, run.status);
  EXPECT_EQ("kroplay: -o " + plugin +
                " is the plug-in itself; choose another output (see kroplay --help)\n",
            run.err);
  EXPECT_EQ(slurp(WAVEFX_MODULE_PATH), slurp(plugin));
}

TEST(KroplayMisleadingResults, AFullScratchFolderIsNamedWhenWritingToStandardOutput) {
  TempDir dir;
  // Rows of many colours: far more GIF than the 16 KiB folder holds.
  dir.write("big.lua",
            "screen(1024, 1024)\nfor f = 1, 4 do\n"
            "  for r = 0, 1023 do PUT_HLINE(r, (r * 7919 + f * 31) % 256) end\n"
            "  frame()\nend\n");
  const std::string full = dir.file("full");
  const ProgramRun probe = run_program("unshare", "-rm true");
  if (probe.status != 0) GTEST_SKIP() << "no mount namespace here: " << probe.err;
  const ProgramRun run =
      run_program("unshare", "-rm sh -c \"mkdir " + full + " && mount -t tmpfs -o size=16k tmpfs " +
                                 full + " && TMPDIR=" + full + " exec " KROPLAY_PATH " " +
                                 dir.file("big.lua") + " -o -\"");
  EXPECT_EQ(1, run.status);
  EXPECT_EQ(0u, run.err.find("kroplay: cannot write '" + full + "/kroplay-output.")) << run.err;
  EXPECT_NE(std::string::npos, run.err.find(": No space left on device\n")) << run.err;
  EXPECT_EQ("", run.out);
}

}  // namespace
