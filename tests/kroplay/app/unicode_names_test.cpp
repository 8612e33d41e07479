// Names outside the ANSI code page keep their characters on Windows as on
// other systems: a script named in Polish, a picture and a module with an
// accent, outputs in Polish and Japanese. The files are made and looked
// for through std::filesystem's wide names, not through this test's own
// code page.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/png_writing.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

fs::path in(const TempDir &dir, const std::string &utf8_name) {
  return fs::u8path(dir.path()) / fs::u8path(utf8_name);
}

void write_text(const fs::path &path, const std::string &text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(KroplayUnicodeNames, ScriptsPicturesModulesAndOutputsKeepTheirNames) {
  TempDir dir;
  PngToWrite png;
  png.width = png.height = 1;
  png.pixels = {1};
  png.palette = {0, 0, 0, 9, 9, 9};
  ASSERT_EQ("", write_png(dir.file("picture.png"), png));
  fs::rename(dir.file("picture.png"), in(dir, "café.png"));
  write_text(in(dir, "café.lua"), "return 7\n");
  write_text(in(dir, "żółw.lua"),
             "assert(load_picture('café.png').width == 1)\n"
             "load_background('café.png')\n"
             "assert(require('café') == 7)\n"
             "frame()\n");
  for (const std::string output : {"żółw.gif", "日本.gif"}) {
    SCOPED_TRACE(output);
    const ProgramRun run =
        run_program(KROPLAY_PATH, quoted_argument(in(dir, "żółw.lua").u8string()) + " -o " +
                                      quoted_argument(in(dir, output).u8string()));
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_TRUE(fs::is_regular_file(in(dir, output))) << run.err;
  }
  EXPECT_EQ(5, std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));
}

}  // namespace
