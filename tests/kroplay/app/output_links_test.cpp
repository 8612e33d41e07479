// kroplay writing through symbolic links: a relative link is resolved
// against the link's own folder, and a loop of links is refused with both
// links left as they are.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/gif_reading.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

const char kOneFrame[] = "screen(4, 2) FILL(3) frame()\n";

// Runs kroplay in `dir`, its working folder, with `arguments` (already
// quoted for the shell): the shell's $0 is the folder, "$@" the command.
ProgramRun kroplay_in(const TempDir &dir, const std::string &arguments) {
  return run_program("/bin/sh", "-c 'cd \"$0\" && exec \"$@\"' " + quoted_argument(dir.path()) +
                                    " " + quoted_argument(KROPLAY_PATH) + " " + arguments);
}

std::string slurp(const std::string &path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Where the symbolic link `path` points, or "" if it is not one.
std::string link_target(const std::string &path) {
  char target[256];
  const ssize_t length = readlink(path.c_str(), target, sizeof target);
  return length < 0 ? "" : std::string(target, static_cast<size_t>(length));
}

TEST(KroplayOutputLinks, ARelativeLinkInAnotherFolderPointsBesideItself) {
  TempDir dir;
  dir.write("one.lua", kOneFrame);
  dir.write("target.gif", "not the output");  // the same name in the working folder
  ASSERT_EQ(0, mkdir(dir.file("out").c_str(), 0755));
  ASSERT_EQ(0, symlink("target.gif", dir.file("out/link.gif").c_str()));
  const ProgramRun run = kroplay_in(dir, "one.lua -o out/link.gif");
  ASSERT_EQ(0, run.status) << run.err;
  ReadGif gif;
  EXPECT_EQ("", read_gif(dir.file("out/target.gif"), gif));
  EXPECT_EQ(1u, gif.frames.size());
  EXPECT_EQ("target.gif", link_target(dir.file("out/link.gif")));
  EXPECT_EQ("not the output", slurp(dir.file("target.gif")));
}

TEST(KroplayOutputLinks, ALoopOfLinksIsRefusedAndLeftAsItIs) {
  TempDir dir;
  dir.write("one.lua", kOneFrame);
  ASSERT_EQ(0, symlink("b.gif", dir.file("a.gif").c_str()));
  ASSERT_EQ(0, symlink("a.gif", dir.file("b.gif").c_str()));
  const ProgramRun run = kroplay_in(dir, "one.lua -o a.gif");
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("kroplay: cannot write 'a.gif': Too many levels of symbolic links\n", run.err);
  EXPECT_EQ("b.gif", link_target(dir.file("a.gif")));
  EXPECT_EQ("a.gif", link_target(dir.file("b.gif")));
  EXPECT_EQ((std::vector<std::string>{"a.gif", "b.gif", "one.lua"}), dir.entries());
}

}  // namespace
