// Runs that end early or run long: the frame and time limits, an
// interrupt, and the frame counter shown on a terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

#include "support/kroplay_runs.h"

TEST(KroplayRecord, LimitsStopRunawayScriptsWithNothingWritten) {
  const struct {
    std::string script, options, message;
  } cases[] = {
      {"while true do frame() end", "--max-frames 10",
       "kroplay: the script composed more than 10 frames and was stopped; an endless game loop "
       "is recorded in part with --frames 0..N, and --seamless ends that part where it loops "
       "(--max-frames N to change, 0 for no limit)\n"},
      {"frame() while true do end", "--timeout 1",
       "kroplay: the script ran longer than 1 s and was stopped (--timeout SECS to change, 0 "
       "for no limit)\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.options);
    TempDir dir;
    dir.write("runaway.lua", c.script);
    // A limit that fails to stop the script fails the test, not the suite.
    const ProgramRun run = shell(dir, "timeout 30 $K runaway.lua " + c.options);
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(c.message, run.err);
    EXPECT_EQ(std::vector<std::string>{"runaway.lua"}, dir.entries());
  }
  TempDir dir;
  dir.write("ten.lua", "frame(10)");
  EXPECT_EQ(0, run_kroplay(dir, "ten.lua --max-frames 10").status);
}

TEST(KroplayRecord, AnInterruptedRunLeavesNothing) {
  TempDir dir;
  const ProgramRun run = shell(
      dir, "$K " + script("endless.lua") + " --max-frames 0 & sleep 1; kill -INT $!; wait $!");
  EXPECT_EQ(128 + SIGINT, run.status);
  EXPECT_EQ(std::vector<std::string>{}, dir.entries());
  // It says where it stopped: a frame well past the first after a second.
  long long frame = 0;
  EXPECT_EQ(1, std::sscanf(run.err.c_str(), "kroplay: interrupted at frame %lld, nothing written\n",
                           &frame))
      << run.err;
  EXPECT_GT(frame, 10);
  EXPECT_EQ(1, std::count(run.err.begin(), run.err.end(), '\n')) << run.err;
}

TEST(KroplayRecord, CountsFramesOnATerminalOnly) {
  TempDir dir;
  // `script` gives kroplay a terminal; without one (every other test) stderr
  // holds only the final line.
  const ProgramRun on_terminal = run_kroplay(
      dir, "-qec \"'" KROPLAY_PATH "' " + script("lines.lua") + "\" /dev/null", "script");
  EXPECT_EQ(0, on_terminal.status);
  EXPECT_NE(std::string::npos, on_terminal.out.find("\rkroplay: frame 1"));
  EXPECT_NE(std::string::npos, on_terminal.out.find("kroplay: wrote lines.gif (5 frames, 6x4)"));
  // A GIF is not sent to a terminal.
  const ProgramRun to_terminal = run_kroplay(
      dir, "-qec \"'" KROPLAY_PATH "' " + script("lines.lua") + " -o -\" /dev/null", "script");
  EXPECT_NE(std::string::npos,
            to_terminal.out.find("kroplay: -o - would write a GIF to the terminal"))
      << to_terminal.out;
  EXPECT_EQ(std::string::npos, to_terminal.out.find("GIF89a"));
  // An error clears the counter line before it is printed.
  TempDir failing;
  failing.write("late.lua", "frame(3)\nerror('late')\n");
  const ProgramRun error = run_kroplay(
      failing, "-qec \"'" KROPLAY_PATH "' '" + failing.file("late.lua") + "'\" /dev/null",
      "script");
  EXPECT_EQ(1, error.status);
  EXPECT_NE(std::string::npos, error.out.find("\rkroplay: frame "));
  EXPECT_NE(std::string::npos,
            error.out.find("\r\033[Kkroplay: " + failing.file("late.lua") + ":2: late"))
      << error.out;
}
