#include "kroplay/cli/options.h"

#include <gtest/gtest.h>

#include <sstream>

#include "kroplay/cli/help_text.h"
#include "kroplay/cli/option_table.h"

using kroplay::Options;
using kroplay::parse_options;
using kroplay::UsageError;

namespace {

std::string usage_error(const std::vector<std::string> &args) {
  try {
    parse_options(args);
  } catch (const UsageError &e) {
    return e.what();
  }
  return "(accepted)";
}

TEST(Options, DefaultsWithoutArguments) {
  const Options o = parse_options({});
  EXPECT_EQ("", o.script);
  EXPECT_EQ("", o.output);
  EXPECT_EQ("", o.plugin);
  EXPECT_EQ(320, o.width);
  EXPECT_EQ(200, o.height);
  EXPECT_EQ(50, o.fps);
  EXPECT_FALSE(o.hash || o.null_imports || o.help || o.version);
}

TEST(Options, EveryOptionInBothSpellings) {
  const Options a = parse_options({"s.lua", "-o", "x.gif", "--plugin", "p.so", "--size", "64x48",
                                   "--fps", "25", "--hash", "--null-imports"});
  const Options b = parse_options({"--output=x.gif", "--plugin=p.so", "--size=64X48", "--fps=25",
                                   "--hash", "--null-imports", "s.lua"});
  for (const Options &o : {a, b}) {
    EXPECT_EQ("s.lua", o.script);
    EXPECT_EQ("x.gif", o.output);
    EXPECT_EQ("p.so", o.plugin);
    EXPECT_EQ(64, o.width);
    EXPECT_EQ(48, o.height);
    EXPECT_EQ(25, o.fps);
    EXPECT_TRUE(o.hash);
    EXPECT_TRUE(o.null_imports);
  }
  EXPECT_TRUE(parse_options({"--help"}).help);
  EXPECT_TRUE(parse_options({"-h"}).help);
  EXPECT_TRUE(parse_options({"--version"}).version);
  // After "--" a name starting with '-' is the script.
  EXPECT_EQ("-odd.lua", parse_options({"--", "-odd.lua"}).script);
}

TEST(Options, BadValuesNameTheProblem) {
  EXPECT_NE(std::string::npos, usage_error({"--bogus"}).find("unknown option '--bogus'"));
  EXPECT_NE(std::string::npos, usage_error({"-o"}).find("-o needs a value"));
  EXPECT_NE(std::string::npos, usage_error({"a.lua", "b.lua"}).find("more than one script"));
  EXPECT_NE(std::string::npos, usage_error({"--hash=1"}).find("takes no value"));
  for (const char *size : {"320", "x200", "320x", "320x200x1", "-3x4", "3x-4", "3.5x4", "0x10",
                           "10x0", "16385x1", "4097x4097", "99999999999999x1", ""})
    EXPECT_NE(std::string::npos, usage_error({"--size", size}).find("--size")) << size;
  EXPECT_EQ("(accepted)", usage_error({"--size", "16384x1024"}));
  for (const char *fps : {"0", "101", "-5", "abc", "2.5", "", "50fps"})
    EXPECT_NE(std::string::npos, usage_error({"--fps", fps}).find("--fps")) << fps;
  EXPECT_EQ("(accepted)", usage_error({"--fps", "100"}));
  EXPECT_EQ("(accepted)", usage_error({"--fps", "1"}));
}

TEST(Options, MistakesNameWhatWasMeant) {
  EXPECT_EQ("unknown option '--fsp'; did you mean --fps?", usage_error({"--fsp", "3"}));
  EXPECT_EQ("unknown option '-window'; did you mean --window?", usage_error({"-window"}));
  EXPECT_EQ("unknown option '--Hash'; did you mean --hash?", usage_error({"--Hash"}));
  EXPECT_EQ("unknown option '--bogus'", usage_error({"--bogus"}));  // nothing near
  // An output type kroplay does not write, in any case; no extension is a GIF.
  for (const char *output : {"shot.jpg", "dir/shot.JPEG", "x.gif.bak"})
    EXPECT_EQ("-o " + std::string(output) +
                  ": kroplay writes only GIF (.gif) and PNG (.png) files, or - for standard "
                  "output",
              kroplay::output_type_refusal(output));
  for (const char *output : {"x.GIF", "x.Png", "/dev/null", "v1.2/out", ".hidden", "-"})
    EXPECT_EQ("", kroplay::output_type_refusal(output)) << output;
}

}  // namespace

namespace {

TEST(Options, PreviewWindowOptions) {
  const Options plain = parse_options({"--window", "s.lua"});
  EXPECT_TRUE(plain.window);
  EXPECT_EQ(0, plain.scale);
  EXPECT_EQ(0, plain.quit_after);
  const Options o = parse_options({"--window", "--scale", "3", "--quit-after=64"});
  EXPECT_EQ(3, o.scale);
  EXPECT_EQ(64, o.quit_after);
  EXPECT_EQ("--scale wants a whole number from 1 to 64, not '0'",
            usage_error({"--window", "--scale", "0"}));
  EXPECT_EQ("--scale wants a whole number from 1 to 64, not '65'",
            usage_error({"--window", "--scale=65"}));
  EXPECT_EQ("--quit-after wants a whole number from 1 to 86400, not '1.5'",
            usage_error({"--window", "--quit-after", "1.5"}));
  EXPECT_EQ(2, parse_options({"--scale", "2"}).scale);  // the output's scale
  EXPECT_EQ("--quit-after needs --window", usage_error({"--quit-after", "2"}));
  EXPECT_EQ("--window takes no value", usage_error({"--window=yes"}));
  EXPECT_EQ("--check runs no script; it takes only --plugin", usage_error({"--check", "--window"}));
}

}  // namespace

namespace {

TEST(Options, OutputSelectionScaleAndLimits) {
  const std::string kFramesWant =
      "--frames wants N, FIRST..LAST or FIRST..LAST/STEP, frames counted from 0 and a step from "
      "1, not ";
  const Options plain = parse_options({});
  EXPECT_TRUE(plain.frames.all);
  EXPECT_EQ(100000, plain.max_frames);
  EXPECT_EQ(600, plain.timeout);
  const Options o = parse_options({"-o", "Shot.PNG", "--frames", "3..7", "--scale=16", "--columns",
                                   "4", "--max-frames=0", "--timeout", "0"});
  EXPECT_FALSE(o.frames.all);
  EXPECT_EQ(3, o.frames.first);
  EXPECT_EQ(7, o.frames.last);
  EXPECT_EQ(16, o.scale);
  EXPECT_EQ(4, o.columns);
  EXPECT_EQ(0, o.max_frames);
  EXPECT_EQ(0, o.timeout);
  EXPECT_EQ(1, o.frames.step);
  // Each whole number takes the top of its range, however many digits it has.
  for (const kroplay::OptionRow &row : kroplay::option_table()) {
    if (row.kind != kroplay::ValueKind::kWholeNumber) continue;
    Options top;
    const std::string high = std::to_string(row.high);
    EXPECT_NO_THROW(kroplay::apply_option(row, row.name, high, top)) << row.name << " " << high;
  }
  const Options single = parse_options({"--frames=0"});
  EXPECT_EQ(0, single.frames.first);
  EXPECT_EQ(0, single.frames.last);
  const Options stepped = parse_options({"--frames", "2..9/3", "--seamless"});
  EXPECT_EQ(2, stepped.frames.first);
  EXPECT_EQ(9, stepped.frames.last);
  EXPECT_EQ(3, stepped.frames.step);
  EXPECT_TRUE(stepped.seamless);

  const std::pair<std::vector<std::string>, std::string> refused[] = {
      {{"--frames", "4..2"}, "--frames 4..2 ends before it starts"},
      {{"--frames", "-1"}, kFramesWant + "'-1'"},
      {{"--frames", "1..x"}, kFramesWant + "'1..x'"},
      {{"--frames", "1..5/0"}, kFramesWant + "'1..5/0'"},
      {{"--frames", "3/2"}, kFramesWant + "'3/2'"},
      {{"--frames", "1/2..5"}, kFramesWant + "'1/2..5'"},
      {{"--window", "--seamless"}, "--seamless ends a recording run; it does not go with --window"},
      {{"--scale", "17"},
       "--scale wants a whole number from 1 to 16 for the output, not '17' (up to 64 with "
       "--window)"},
      {{"--columns", "3"}, "--columns lays out a PNG sprite sheet; it needs -o FILE.png"},
      {{"--gap", "1"}, "--gap spaces the cells of a PNG sprite sheet; it needs -o FILE.png"},
      {{"--hash", "-o", "-"}, "--hash and -o - would both write to standard output"},
      {{"--window", "-o", "a.png"}, "--window writes only a GIF file with -o, not a PNG"},
      {{"--window", "--frames", "2"},
       "--frames chooses frames of a recording run; it does not go with --window"},
      {{"--check", "--frames", "2"}, "--check runs no script; it takes only --plugin"},
      {{"--check", "--fps", "30"}, "--check runs no script; it takes only --plugin"},
  };
  for (const auto &[args, message] : refused) EXPECT_EQ(message, usage_error(args));
}

}  // namespace

namespace {

TEST(Options, HelpListsEveryOptionWithinEightyColumns) {
  const std::string help = kroplay::help_text("");
  // A term too wide for its column ends its line.
  for (const kroplay::OptionRow &row : kroplay::option_table()) {
    const std::string term = "\n  " + kroplay::option_spelling(row);
    EXPECT_TRUE(help.find(term + " ") != std::string::npos ||
                help.find(term + "\n") != std::string::npos)
        << row.name;
  }
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
}

}  // namespace
