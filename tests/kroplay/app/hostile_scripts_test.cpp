// Scripts written to break kroplay: corners of Lua that crash it unguarded,
// and runaway scripts that the Lua hook alone cannot stop. Each must end
// with a Lua error or the time limit's message, and leave nothing behind.
// Also under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

// kroplay with `arguments`; on POSIX systems a kroplay that does not stop
// is ended after 30 s, so that the test fails instead of hanging.
ProgramRun kroplay(const std::string &arguments) {
#ifdef _WIN32
  return run_program(KROPLAY_PATH, arguments);
#else
  return run_program("timeout", "30 " + quoted_argument(KROPLAY_PATH) + " " + arguments);
#endif
}

TEST(KroplayHostile, LuaWeakSpotsGiveLuaErrors) {
  TempDir dir;
  dir.write("weak.lua", R"lua(
-- Each coroutine closes the next from a __close handler; each was resumed
-- from the main thread, so Lua's own count of C calls stays low.
local chain = {}
for i = 1, 20000 do
  chain[i] = coroutine.create(function()
    local x <close> = setmetatable({}, {__close = function()
      if chain[i + 1] then assert(coroutine.close(chain[i + 1])) end
    end})
    coroutine.yield()
  end)
  coroutine.resume(chain[i])
end
print(coroutine.close(chain[1]))
local registry = debug.getregistry()
local output, input = registry._IO_output, registry._IO_input
registry._IO_output, registry._IO_input = nil, 5
print(pcall(io.write, "x"))
print(pcall(io.read))
registry._IO_output, registry._IO_input = output, input
local function upvalue() return registry end
print(pcall(debug.setmetatable, debug.upvalueid(upvalue, 1), registry["FILE*"]))
screen(2, 2) frame()
)lua");
  const ProgramRun run = kroplay(quoted_argument(dir.file("weak.lua")) + " -o " +
                                 quoted_argument(dir.file("weak.gif")));
  ASSERT_EQ(0, run.status) << run.err;
  const std::string expected_lines[] = {
      "C stack overflow", "false\tio.write: the default output is not a file\n",
      "false\tio.read: the default input is not a file\n",
      "false\tdebug.setmetatable: kroplay keeps light userdata without a metatable\n"};
  for (const std::string &line : expected_lines) EXPECT_NE(std::string::npos, run.out.find(line));
  EXPECT_EQ(0u, run.out.find("false\t")) << run.out;
}

TEST(KroplayHostile, TimeoutEndsWhatTheHookCannotReach) {
  const struct {
    std::string what, script;
  } cases[] = {
      {"a finalizer that loops during the run",
       "setmetatable({}, {__gc = function() while true do end end}) collectgarbage()"},
      {"a finalizer that loops as the state closes",
       "setmetatable({}, {__gc = function() while true do end end})"},
      {"an error handler that loops",
       "xpcall(function() while true do end end, function() while true do end end)"},
      {"one long C call", "string.find(string.rep('a', 100000), '.-.-.-b')"},
      {"nested coroutines, each with a fresh count",
       "while true do coroutine.wrap(function() for i = 1, 99990 do end end)() end"},
      {"a loop around an expensive call", "while true do screen(4096, 4096) end"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    dir.write("runaway.lua", "screen(2, 2) frame()\n" + c.script + "\n");
    const auto start = std::chrono::steady_clock::now();
    const ProgramRun run = kroplay(quoted_argument(dir.file("runaway.lua")) + " --timeout 1 -o " +
                                   quoted_argument(dir.file("out.gif")));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(
        "kroplay: the script ran longer than 1 s and was stopped (--timeout SECS to change, 0 "
        "for no limit)\n",
        run.err);
    // The time limit plus a second, and room for a busy machine.
    EXPECT_LT(took, std::chrono::milliseconds(3500));
    EXPECT_EQ(std::vector<std::string>{"runaway.lua"}, dir.entries());
  }
}

}  // namespace
