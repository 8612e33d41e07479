// require finds a script's modules beside it first, from any working
// folder, and package.path after that.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/kroplay_runs.h"

TEST(KroplayScript, RequireFindsModulesBesideTheScriptFirst) {
  TempDir dir;
  ASSERT_EQ(0, mkdir(dir.file("game").c_str(), 0755));
  ASSERT_EQ(0, mkdir(dir.file("game/hud").c_str(), 0755));
  dir.write("game/shade.lua", "return 6\n");
  dir.write("game/hud/init.lua", "return 'hud'\n");
  dir.write("shade.lua", "return 9\n");      // in the working folder: found second
  dir.write("only_here.lua", "return 3\n");  // only on package.path's ./?.lua
  dir.write("game/main.lua",
            "assert(require('shade') == 6 and require('hud') == 'hud')\n"
            "assert(require('only_here') == 3)\n");
  const ProgramRun run = run_kroplay(dir, "game/main.lua -o /dev/null");
  EXPECT_EQ(0, run.status) << run.err;
}
