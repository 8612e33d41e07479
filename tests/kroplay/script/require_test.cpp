// require finds a script's modules beside it first, from any working
// folder and beside a folder of any name, and package.path after that;
// only regular files.
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

TEST(KroplayScript, RequireFindsModulesBesideAFolderNamedWithSemicolonOrQuestionMark) {
  for (const std::string folder : {"levels;v2", "what?"}) {
    SCOPED_TRACE(folder);
    TempDir dir;
    ASSERT_EQ(0, mkdir(dir.file(folder).c_str(), 0755));
    ASSERT_EQ(0, mkdir(dir.file("v2").c_str(), 0755));
    dir.write(folder + "/hud.lua", "return 'beside'\n");
    dir.write("v2/hud.lua", "return 'decoy'\n");  // a template's "v2/?.lua"
    dir.write("hud.lua", "return 'decoy'\n");     // package.path's "./?.lua"
    dir.write(folder + "/main.lua", "assert(require('hud') == 'beside')\n");
    const ProgramRun run = run_kroplay(dir, "'" + folder + "/main.lua' -o /dev/null");
    EXPECT_EQ(0, run.status) << run.err;
  }
}

TEST(KroplayScript, RequireOfAFifoIsAnErrorNamingTheModuleAndTheFile) {
  TempDir dir;
  ASSERT_EQ(0, mkdir(dir.file("game").c_str(), 0755));
  ASSERT_EQ(0, mkfifo(dir.file("game/hud.lua").c_str(), 0644));
  dir.write("game/main.lua", "require('hud')\n");
  // Waiting for a writer would end only at the timeout.
  const ProgramRun run = run_kroplay(dir, "game/main.lua -o out.gif --timeout 5");
  EXPECT_EQ(1, run.status) << run.err;
  EXPECT_NE(std::string::npos,
            run.err.find("module 'hud': cannot read 'game/hud.lua': not a regular file"))
      << run.err;
}
