// An output name of a type kroplay does not write is refused before the
// script runs.
#include <gtest/gtest.h>

#include "support/kroplay_runs.h"

TEST(KroplayOutput, RefusesAnOutputTypeItDoesNotWriteBeforeTheRun) {
  TempDir dir, scripts;
  scripts.write("shot.lua", "print('ran') FILL(3) frame()\n");
  const ProgramRun run = run_kroplay(dir, "'" + scripts.file("shot.lua") + "' -o shot.jpg");
  expect_failure(run, dir, 2,
                 "-o shot.jpg: kroplay writes only GIF (.gif) and PNG (.png) files, or - for "
                 "standard output (see kroplay --help)");
  EXPECT_EQ("", run.out);
}
