// Scripts that fail or misbehave: one line naming the fault, nothing left
// behind; finalizers, binary chunks and the debug library kept in bounds.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/kroplay_runs.h"

TEST(KroplayScript, ScriptErrorsGiveOneLineAndLeaveNothing) {
  const struct {
    std::string arguments;
    std::string message;
  } cases[] = {
      {script("missing.lua"), "cannot open " + kScripts + "/missing.lua: No such file"},
      {script("syntax_error.lua"), "syntax_error.lua:3: unexpected symbol near <eof>"},
      {script("runtime_error.lua"), "runtime_error.lua:3: attempt to index a nil value"},
      {script("bad_argument.lua"),
       "bad_argument.lua:2: START_RIPPLE: argument 2 must be an integer, got 2.5"},
      {script("wrong_count.lua"), "wrong_count.lua:2: START_RIPPLE: expected 3 arguments, got 2"},
      {script("out_of_range.lua"), "FILL: argument 1 must be an integer from -2147483648"},
      {script("two_line_error.lua"), "two_line_error.lua:2: first line second line"},
      {script("lines.lua") + " -o nowhere/out.gif", "cannot write 'nowhere/out.gif'"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.arguments);
    TempDir dir;
    expect_failure(run_kroplay(dir, c.arguments), dir, 1, c.message);
  }
}

TEST(KroplayScript, FinalizersRunBeforeTheEndAndCannotReachTheEndedRun) {
  TempDir dir;
  const ProgramRun run = run_kroplay(dir, script("finalizers_after_end.lua") + " -o out.gif");
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("kroplay: wrote out.gif (1 frame, 320x200)\n", run.err);
  EXPECT_EQ(1u, read_back(dir.file("out.gif")).frames.size());
  EXPECT_EQ(
      "STOP_RIPPLE: false STOP_RIPPLE: the run has ended\n"
      "frame: false frame: the run has ended\n"
      "color: false color: the run has ended\n",
      slurp(dir.file("finalizer.txt")));

  // A script that fails, or is stopped by a breach, unwinds through
  // finalizers that call the plug-in and compose frames; nothing is left.
  const struct {
    std::string text, arguments, message;
    int status;
  } failing[] = {
      {"setmetatable({}, {__gc = function() STOP_RIPPLE() frame() end})\n"
       "FILL(1)\nframe(2)\nerror('boom')\n",
       "", "f.lua:4: boom", 1},
      {"setmetatable({}, {__gc = function() ADD(1, 2) frame() end})\n"
       "frame(2)\nADD(2, 3)\n",
       plugin("pops_too_few"), "ADD broke the stack contract", 3},
  };
  for (const auto &c : failing) {
    SCOPED_TRACE(c.text);
    TempDir work;
    work.write("f.lua", c.text);
    const ProgramRun failed = run_kroplay(work, "f.lua -o out.gif " + c.arguments);
    std::remove(work.file("f.lua").c_str());
    expect_failure(failed, work, c.status, c.message);
  }
}

TEST(KroplayScript, BinaryChunksAreRefusedEverywhere) {
  TempDir dir;
  const ProgramRun run = run_kroplay(dir, script("binary_chunks.lua"));
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ(std::vector<std::string>{"binary_chunks.gif"}, dir.entries());

  // A precompiled script.
  TempDir chunks;
  chunks.write("make.lua",
               "local f = io.open('chunk.luac', 'wb')\n"
               "f:write(string.dump(load('FILL(3) frame()')))\nf:close()\n");
  ASSERT_EQ(0, run_kroplay(chunks, "make.lua").status);
  TempDir work;
  expect_failure(run_kroplay(work, "'" + chunks.file("chunk.luac") + "'"), work, 1,
                 chunks.file("chunk.luac") + ": attempt to load a binary chunk");
}

TEST(KroplayScript, DebugLibraryCannotForgeKroplaysFunctions) {
  TempDir dir;
  const ProgramRun run = run_kroplay(dir, script("debug_upvalues.lua"));
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ(1u, read_back(dir.file("debug_upvalues.gif")).frames.size());
}

TEST(KroplayScript, LongStringsAreQuotedShortened) {
  TempDir dir;
  const ProgramRun run = run_kroplay(dir, script("long_strings.lua"));
  EXPECT_EQ(1, run.status);
  EXPECT_LT(run.err.size(), 1500u);
  EXPECT_NE(std::string::npos, run.err.find("long_strings.lua:8: xxx")) << run.err.substr(0, 300);
  EXPECT_NE(std::string::npos, run.err.find("xxx... (100000")) << run.err.substr(0, 300);
  EXPECT_EQ(std::vector<std::string>{}, dir.entries());
}
