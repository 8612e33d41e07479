// kroplay run against the deliberately broken plug-ins, which it stops
// with the function named, and with the twenty null imports.
#include <gtest/gtest.h>

#include "support/kroplay_runs.h"

TEST(KroplayHost, BrokenPluginsAreCaughtWithTheFunctionNamed) {
  const struct {
    std::string variant, script, message;
  } cases[] = {
      {"pops_too_few", "uses_add.lua",
       "plug-in breaks the host contract: ADD broke the stack contract: sp moved by 0 over a "
       "call with 2 arguments (must move by -1)"},
      {"pops_too_few", "swallowed_breach.lua", "ADD broke the stack contract"},
      {"exports_other", "uses_add.lua", "kromain exported 'buffer_to_screen'"},
      {"null_function", "uses_add.lua", "krolibrary registered 'ADD' with a null function"},
      {"negative_count", "uses_add.lua", "registered 'ADD' with a negative parameter count (-1)"},
      {"hook_moves_sp", "uses_add.lua", "background_to_buffer moved sp"},
      {"no_kroend", "uses_add.lua", "has no entry point kroend"},
      {"missing", "uses_add.lua", "cannot load plug-in"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.variant);
    TempDir dir;
    expect_failure(run_kroplay(dir, script(c.script) + " " + plugin(c.variant)), dir, 3, c.message);
  }
  TempDir dir;
  EXPECT_EQ(0, run_kroplay(dir, script("uses_add.lua") + " " + plugin("well_behaved")).status);
}

TEST(KroplayHost, NullImportsAreNullAndTheRealPluginStillWorks) {
  TempDir dir;
  EXPECT_EQ(
      0, run_kroplay(dir, script("null_imports.lua") + " --null-imports " + plugin("well_behaved"))
             .status);
  const ProgramRun without =
      run_kroplay(dir, script("null_imports.lua") + " " + plugin("well_behaved"));
  EXPECT_EQ(1, without.status);
  EXPECT_NE(std::string::npos, without.err.find("expected 20 null imports, got 0"));

  const std::vector<Step> steps = random_steps(5, 64, 48);
  dir.write("s.lua", lua_of(steps));
  ASSERT_EQ(0, run_kroplay(dir, "s.lua --null-imports").status);
  expect_playback(read_back(dir.file("s.gif")), model_frames(steps, 64, 48),
                  kroplay::default_palette(), 64, 48);
}
