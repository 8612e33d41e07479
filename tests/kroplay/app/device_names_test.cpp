// Windows opens a device for some file names whatever their folder,
// extension or case (nul.lua, Aux.gif, com1.tar.gz): there kroplay refuses
// them as script, output and picture names before opening anything (the
// device by its own name, \\.\NUL, is written into); on other systems they
// are ordinary files.
#include <gtest/gtest.h>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

ProgramRun kroplay(const std::string &arguments) {
  return run_program(KROPLAY_PATH, arguments);
}

TEST(KroplayDeviceNames, AreRefusedOnWindowsAndOrdinaryFilesElsewhere) {
  TempDir dir;
  const std::string script = dir.file("ok.lua"), device_script = dir.file("nul.lua");
  const std::string output = dir.file("Aux.gif");
  dir.write("ok.lua", "frame()\n");
  dir.write("picture.lua", "load_background('com1.tar.gz')\nframe()\n");
#ifdef _WIN32
  ProgramRun run = kroplay(quoted_argument(device_script));
  EXPECT_EQ(2, run.status);
  EXPECT_EQ("kroplay: " + device_script +
                " names the Windows device NUL, not a file; rename the script (see kroplay "
                "--help)\n",
            run.err);
  run = kroplay(quoted_argument(script) + " -o " + quoted_argument(output));
  EXPECT_EQ(2, run.status);
  EXPECT_EQ("kroplay: -o " + output +
                " names the Windows device AUX, not a file; choose another output (see kroplay "
                "--help)\n",
            run.err);
  run = kroplay(quoted_argument(dir.file("picture.lua")) + " -o " +
                quoted_argument(dir.file("picture.gif")));
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos,
            run.err.find("load_background: cannot read 'com1.tar.gz': names the Windows device "
                         "COM1, not a file\n"))
      << run.err;
  EXPECT_EQ((std::vector<std::string>{"ok.lua", "picture.lua"}), dir.entries());
  // The device by its own name is written into.
  run = kroplay(quoted_argument(script) + " -o \\\\.\\NUL");
  EXPECT_EQ(0, run.status) << run.err;
#else
  dir.write("nul.lua", "frame()\n");
  dir.write("com1.tar.gz", "not a picture");
  ProgramRun run = kroplay(quoted_argument(device_script) + " -o " + quoted_argument(output));
  EXPECT_EQ(0, run.status) << run.err;
  run = kroplay(quoted_argument(dir.file("picture.lua")));
  EXPECT_NE(std::string::npos,
            run.err.find("cannot read 'com1.tar.gz': it is neither a GIF nor a PNG picture"))
      << run.err;
  EXPECT_EQ(
      (std::vector<std::string>{"Aux.gif", "com1.tar.gz", "nul.lua", "ok.lua", "picture.lua"}),
      dir.entries());
#endif
}

}  // namespace
