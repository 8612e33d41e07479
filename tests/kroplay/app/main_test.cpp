// kroplay run as a user runs it: Lua scripts against the real plug-in (and
// the deliberately broken ones), GIFs read back with giflib and compared
// with the reference model or hand-derived pixels, every error path checked
// for its message, exit status and the absence of any output file.
#include <dirent.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "kroplay/gif/gif_writer.h"
#include "kroplay/host/palettes.h"
#include "support/gif_reading.h"
#include "support/png_reading.h"
#include "support/reference_model.h"
#include "support/temp_dir.h"

namespace {

const std::string kScripts = KROPLAY_SCRIPTS_DIR;

std::string slurp(const std::string &path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Outcome {
  int status = -1;  // exit status, or 128 + signal
  std::string out, err;
};

// Runs `command` through the shell in `dir`, kroplay named $K; stdout,
// stderr and the exit status (128 + signal when killed) are kept.
Outcome shell(const TempDir &dir, const std::string &command) {
  TempDir logs;
  const std::string line = "cd '" + dir.path() + "' && K='" KROPLAY_PATH "' && { " + command +
                           "; } >'" + logs.file("out") + "' 2>'" + logs.file("err") + "'";
  const int raw = std::system(line.c_str());
  Outcome run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  run.out = slurp(logs.file("out"));
  run.err = slurp(logs.file("err"));
  return run;
}

// Runs kroplay (or `program`) in `dir`, its working folder, with
// `arguments`, already quoted for the shell.
Outcome kroplay(const TempDir &dir, const std::string &arguments,
                const std::string &program = KROPLAY_PATH) {
  return shell(dir, "exec '" + program + "' " + arguments);
}

// A failed run: the status, one line on stderr holding `message`, and no
// file left in the working folder.
void expect_failure(const Outcome &run, const TempDir &dir, int status,
                    const std::string &message) {
  EXPECT_EQ(status, run.status) << run.err;
  EXPECT_EQ(0u, run.err.find("kroplay: ")) << run.err;
  EXPECT_NE(std::string::npos, run.err.find(message)) << run.err;
  EXPECT_EQ(1, std::count(run.err.begin(), run.err.end(), '\n')) << run.err;
  EXPECT_EQ(std::vector<std::string>{}, dir.entries());
}

std::string script(const std::string &name) {
  return "'" + kScripts + "/" + name + "'";
}
std::string plugin(const std::string &variant) {
  return "--plugin '" BROKEN_PLUGIN_DIR "/" + variant + ".so'";
}

ReadGif read_back(const std::string &path) {
  ReadGif gif;
  const std::string problem = read_gif(path, gif);
  EXPECT_EQ("", problem) << path;
  return gif;
}

// A script as a list of steps, written out as Lua and replayed on the model.
struct Step {
  std::string name;  // a plug-in function; "frame" or "screen" for the host's
  std::vector<int32_t> args;
};

std::string lua_of(const std::vector<Step> &steps) {
  std::string text;
  for (const Step &s : steps) {
    text += s.name + "(";
    for (size_t i = 0; i < s.args.size(); ++i) text += (i ? ", " : "") + std::to_string(s.args[i]);
    text += ")\n";
  }
  return text;
}

// The frames the model composes for `steps` on a width x height screen;
// with `sizes`, also the size of each.
std::vector<std::vector<uint8_t>> model_frames(
    const std::vector<Step> &steps, int32_t width, int32_t height,
    std::vector<std::pair<int32_t, int32_t>> *sizes = nullptr) {
  ReferenceModel model;
  std::vector<uint8_t> background(static_cast<size_t>(width) * height, 0), frame = background;
  std::vector<std::vector<uint8_t>> frames;
  for (const Step &s : steps) {
    if (s.name == "frame") {
      for (int32_t n = 0; n < s.args[0]; ++n) {
        model.compose(background, frame, width, height);
        frames.push_back(frame);
        if (sizes != nullptr) sizes->emplace_back(width, height);
      }
    } else if (s.name == "screen") {
      width = s.args[0];
      height = s.args[1];
      background.assign(static_cast<size_t>(width) * height, 0);
      frame = background;
    } else {
      model.call(s.name, s.args, background, width, height);
    }
  }
  return frames;
}

// Random calls with boundary and ordinary arguments, frames between them,
// and now and then fresh bitmaps of the same size.
std::vector<Step> random_steps(uint32_t seed, int32_t width, int32_t height) {
  static const std::pair<const char *, int> functions[] = {
      {"START_RIPPLE", 3}, {"STOP_RIPPLE", 0}, {"START_DISTORT", 3}, {"STOP_DISTORT", 0},
      {"CHANGE_RVAL", 2},  {"CHANGE_DVAL", 2}, {"FILL", 1},          {"PUT_HLINE", 2},
      {"PUT_VLINE", 2},    {"HOW_WIDE", 0},    {"HOW_HIGH", 0}};
  std::mt19937 random(seed);
  auto argument = [&]() -> int32_t {
    const int32_t special[] = {0,     1,      -1,        2,         255,       256,        -300,
                               width, height, width - 1, INT32_MIN, INT32_MAX, height + 1, -width};
    if (random() % 3 == 0) return special[random() % (sizeof special / sizeof special[0])];
    return static_cast<int32_t>(random() % 401) - 200;
  };
  std::vector<Step> steps = {{"screen", {width, height}}};
  for (int i = 0; i < 60; ++i) {
    const unsigned pick = random() % 16;
    if (pick < 11) {
      Step s{functions[pick].first, {}};
      for (int a = 0; a < functions[pick].second; ++a) s.args.push_back(argument());
      steps.push_back(s);
    } else if (pick == 11) {
      steps.push_back({"screen", {width, height}});
    } else {
      steps.push_back({"frame", {static_cast<int32_t>(random() % 3)}});
    }
  }
  steps.push_back({"frame", {1}});
  return steps;
}

// Compares what `gif` shows at every hundredth of a second with `frames`
// in `palette`, 2/100 s apart (kroplay's default), each `width` x `height`
// or of its size in `sizes`.
void expect_playback(const ReadGif &gif, const std::vector<std::vector<uint8_t>> &frames,
                     const kroplay::Palette &palette, int32_t width, int32_t height,
                     const std::vector<std::pair<int32_t, int32_t>> *sizes = nullptr) {
  std::vector<ShownFrame> shown;
  for (size_t i = 0; i < frames.size(); ++i)
    shown.push_back({&frames[i], sizes ? (*sizes)[i].first : width,
                     sizes ? (*sizes)[i].second : height, &palette});
  EXPECT_EQ("", compare_playback(gif, shown, 2));
}

// FNV-1a 64 over the frame's indices, then its palette.
std::string hash_line(size_t n, const std::vector<uint8_t> &indices,
                      const kroplay::Palette &palette) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (uint8_t b : indices) hash = (hash ^ b) * 0x100000001b3ull;
  for (uint8_t b : palette) hash = (hash ^ b) * 0x100000001b3ull;
  char line[64];
  std::snprintf(line, sizeof line, "frame %zu %016llx\n", n, static_cast<unsigned long long>(hash));
  return line;
}

TEST(Kroplay, RandomScriptsMatchTheReferenceModelFrameByFrame) {
  const std::pair<int32_t, int32_t> sizes[] = {{320, 200}, {1, 1}, {7, 3}, {3, 40}, {33, 17}};
  for (uint32_t seed = 0; seed < 15 && !testing::Test::HasFailure(); ++seed) {
    const auto [w, h] = sizes[seed % 5];
    const std::vector<Step> steps = random_steps(seed, w, h);
    TempDir dir;
    dir.write("session.lua", lua_of(steps));
    const Outcome run = kroplay(dir, "session.lua --size 50x60");
    ASSERT_EQ(0, run.status) << run.err;
    const ReadGif gif = read_back(dir.file("session.gif"));
    EXPECT_EQ(w, gif.width);
    EXPECT_EQ(h, gif.height);
    EXPECT_TRUE(gif.loops_forever);
    EXPECT_EQ("GIF89a", gif.version);
    expect_playback(gif, model_frames(steps, w, h), kroplay::default_palette(), w, h);
  }
}

TEST(Kroplay, ResizingBetweenFramesKeepsEveryFrameAtTheTopLeft) {
  std::vector<Step> steps = {{"screen", {20, 10}},
                             {"FILL", {4}},
                             {"PUT_VLINE", {5, 9}},
                             {"START_DISTORT", {20, 60, 6}},
                             {"frame", {3}},
                             {"screen", {30, 5}},
                             {"PUT_HLINE", {2, 200}},
                             {"PUT_VLINE", {29, 8}},
                             {"frame", {2}},
                             {"screen", {8, 16}},
                             {"START_RIPPLE", {9, 70, 5}},
                             {"PUT_HLINE", {3, 77}},
                             {"frame", {2}},
                             {"screen", {8, 16}},
                             {"HOW_HIGH", {}},
                             {"frame", {1}}};
  TempDir dir;
  dir.write("resize.lua", lua_of(steps));
  const Outcome run = kroplay(dir, "resize.lua");
  ASSERT_EQ(0, run.status) << run.err;
  const ReadGif gif = read_back(dir.file("resize.gif"));
  EXPECT_EQ(30, gif.width);  // the largest of all
  EXPECT_EQ(16, gif.height);
  std::vector<std::pair<int32_t, int32_t>> sizes;
  const auto expected = model_frames(steps, 320, 200, &sizes);
  expect_playback(gif, expected, kroplay::default_palette(), 0, 0, &sizes);
}

TEST(Kroplay, HandCheckedFramesAndPalette) {
  TempDir dir;
  const Outcome run = kroplay(dir, script("lines.lua") + " -o out.gif --fps 25");
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("kroplay: wrote out.gif (5 frames, 6x4)\n", run.err);
  const ReadGif gif = read_back(dir.file("out.gif"));
  EXPECT_EQ(6, gif.width);
  EXPECT_EQ(4, gif.height);
  const std::vector<uint8_t> background = {1, 1, 1, 7, 1, 1, 1, 1, 1, 7, 1, 1,
                                           5, 5, 5, 7, 5, 5, 9, 9, 9, 7, 9, 9};
  const std::vector<uint8_t> distorted = {1, 1, 1, 7, 1, 1, 0, 0, 0, 0, 0, 1,
                                          0, 5, 5, 5, 7, 5, 9, 0, 0, 0, 0, 0};
  const std::vector<uint8_t> rippled = {1, 1, 1, 7, 1, 1, 9, 9, 9, 7, 9, 9,
                                        9, 9, 9, 7, 9, 9, 1, 1, 1, 7, 1, 1};
  // Index 9 is set at the start, index 1 before the last frame.
  kroplay::Palette palette = kroplay::default_palette(), last_palette;
  palette[27] = 10, palette[28] = 20, palette[29] = 30;
  last_palette = palette;
  last_palette[3] = 200, last_palette[4] = 100, last_palette[5] = 50;
  const std::vector<uint8_t> *frames[] = {&background, &distorted, &rippled, &distorted,
                                          &distorted};
  std::vector<ShownFrame> shown;
  for (int i = 0; i < 5; ++i) shown.push_back({frames[i], 6, 4, i < 4 ? &palette : &last_palette});
  EXPECT_EQ("", compare_playback(gif, shown, 4));
  ASSERT_EQ(5u, gif.frames.size());
  // Index 1 is the default maroon, then the colour set before the last frame.
  const std::vector<uint8_t> maroon = {128, 0, 0}, orange = {200, 100, 50};
  EXPECT_EQ(maroon, std::vector<uint8_t>(gif.frames[3].rgb.begin(), gif.frames[3].rgb.begin() + 3));
  EXPECT_EQ(orange, std::vector<uint8_t>(gif.frames[4].rgb.begin(), gif.frames[4].rgb.begin() + 3));
}

TEST(Kroplay, LoadsABackgroundGifCutOrPaddedToTheScreen) {
  TempDir dir;
  kroplay::Palette palette{};
  for (size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<uint8_t>(255 - i % 256);
  std::vector<uint8_t> picture(6 * 4);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(10 + i);
  ASSERT_EQ("", write_plain_gif(dir.file("bg.gif"), picture, 6, 4, palette));
  dir.write("load.lua",
            "screen(8, 3)\nload_background('bg.gif')\n"
            "assert(background_pixel(5, 2) == 27 and background_pixel(6, 0) == 0)\nframe()\n");
  const Outcome run = kroplay(dir, "load.lua");
  ASSERT_EQ(0, run.status) << run.err;
  const ReadGif gif = read_back(dir.file("load.gif"));
  ASSERT_EQ(1u, gif.frames.size());
  std::vector<uint8_t> expected(8 * 3, 0);  // padded with the GIF's background colour 0
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) expected[y * 8 + x] = picture[y * 6 + x];
  expect_playback(gif, {expected}, palette, 8, 3);
}

TEST(Kroplay, ScriptApiRefusesBadCallsWithNamedErrors) {
  TempDir dir;
  const Outcome run = kroplay(dir, script("api_errors.lua") + " --hash");
  EXPECT_EQ(0, run.status) << run.err;
  const ReadGif gif = read_back(dir.file("api_errors.gif"));
  ASSERT_EQ(1u, gif.frames.size());
  // One frame in the grey palette, where index i is the colour (i, i, i):
  // its hash from the indices those colours give, and that palette.
  kroplay::Palette grey;
  for (size_t i = 0; i < grey.size(); ++i) grey[i] = static_cast<uint8_t>(i / 3);
  std::vector<uint8_t> indices;
  for (size_t i = 0; i < gif.frames[0].rgb.size(); i += 3) indices.push_back(gif.frames[0].rgb[i]);
  EXPECT_EQ(hash_line(0, indices, grey), run.out);
}

TEST(Kroplay, HashLinesAreStableFollowTheFramesAndSeeEffectChanges) {
  std::vector<Step> steps = {{"screen", {40, 30}}, {"FILL", {1}}};
  for (int32_t row = 0; row < 30; row += 3) steps.push_back({"PUT_HLINE", {row, 10 + row}});
  steps.push_back({"START_RIPPLE", {10, 20, 6}});
  steps.push_back({"frame", {5}});
  steps.push_back({"frame", {1}});
  std::vector<Step> changed = steps;
  changed.insert(changed.end() - 1, {"CHANGE_RVAL", {9, 2}});
  TempDir dir;
  dir.write("a.lua", lua_of(steps));
  dir.write("b.lua", lua_of(changed));
  const Outcome first = kroplay(dir, "a.lua --hash");
  const Outcome second = kroplay(dir, "a.lua --hash --null-imports -o again.gif");
  const Outcome other = kroplay(dir, "b.lua --hash");
  ASSERT_EQ(0, first.status) << first.err;
  EXPECT_EQ(first.out, second.out);
  const std::vector<std::vector<uint8_t>> frames = model_frames(steps, 40, 30);
  std::string expected;
  for (size_t i = 0; i < frames.size(); ++i)
    expected += hash_line(i, frames[i], kroplay::default_palette());
  EXPECT_EQ(expected, first.out);
  // The same frames up to the last, which the distortion changes.
  const size_t last = first.out.rfind("frame ");
  EXPECT_EQ(first.out.substr(0, last), other.out.substr(0, last));
  EXPECT_NE(first.out.substr(last), other.out.substr(last));
}

TEST(Kroplay, NullImportsAreNullAndTheRealPluginStillWorks) {
  TempDir dir;
  EXPECT_EQ(0,
            kroplay(dir, script("null_imports.lua") + " --null-imports " + plugin("well_behaved"))
                .status);
  const Outcome without = kroplay(dir, script("null_imports.lua") + " " + plugin("well_behaved"));
  EXPECT_EQ(1, without.status);
  EXPECT_NE(std::string::npos, without.err.find("expected 20 null imports, got 0"));

  const std::vector<Step> steps = random_steps(5, 64, 48);
  dir.write("s.lua", lua_of(steps));
  ASSERT_EQ(0, kroplay(dir, "s.lua --null-imports").status);
  expect_playback(read_back(dir.file("s.gif")), model_frames(steps, 64, 48),
                  kroplay::default_palette(), 64, 48);
}

TEST(Kroplay, BuiltInDemoAndDefaults) {
  TempDir dir;
  // Through a link from another folder: the plug-in is found beside the
  // real executable, whatever the working folder.
  ASSERT_EQ(0, symlink(KROPLAY_PATH, dir.file("kroplay").c_str()));
  const Outcome run = kroplay(dir, "--hash", dir.file("kroplay"));
  ASSERT_EQ(0, run.status) << run.err;
  const ReadGif gif = read_back(dir.file("demo.gif"));
  EXPECT_EQ(320, gif.width);
  EXPECT_EQ(200, gif.height);
  // One hash line per frame of the script, each frame 2/100 s; the file
  // holds fewer where frames repeat.
  const long frames = std::count(run.out.begin(), run.out.end(), '\n');
  EXPECT_GE(frames, 450);
  EXPECT_LE(frames, 550);
  long duration = 0;
  for (const ReadFrame &f : gif.frames) duration += f.delay;
  EXPECT_EQ(2 * frames, duration);
  EXPECT_LT(gif.frames.size(), static_cast<size_t>(frames));
  // The demo shipped in examples/ is the one built in.
  const Outcome shipped = kroplay(dir, "--hash '" KROPLAY_EXAMPLES_DIR "/demo.lua'");
  EXPECT_EQ(run.out, shipped.out);

  const Outcome help = kroplay(dir, "--help");
  EXPECT_EQ(0, help.status);
  EXPECT_NE(std::string::npos, help.out.find("usage: kroplay [SCRIPT.lua]"));
  const Outcome version = kroplay(dir, "--version");
  EXPECT_EQ(0, version.status);
  EXPECT_NE(std::string::npos, version.out.find("Lua 5.4"));
  const Outcome odd_rate = kroplay(dir, script("lines.lua") + " --fps 30");
  EXPECT_EQ(0, odd_rate.status);
  EXPECT_NE(std::string::npos, odd_rate.err.find("30 fps is written as 3/100 s per frame"));
}

TEST(Kroplay, ScriptErrorsGiveOneLineAndLeaveNothing) {
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
    expect_failure(kroplay(dir, c.arguments), dir, 1, c.message);
  }
}

TEST(Kroplay, BadCommandLinesExitWithStatusTwo) {
  for (const std::string arguments :
       {"--bogus", "--size 0x5", "--size big", "--fps 0", "--fps 1000", "-o", "a.lua b.lua"}) {
    SCOPED_TRACE(arguments);
    TempDir dir;
    expect_failure(kroplay(dir, arguments), dir, 2, "(see kroplay --help)");
  }
}

TEST(Kroplay, BrokenPluginsAreCaughtWithTheFunctionNamed) {
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
    expect_failure(kroplay(dir, script(c.script) + " " + plugin(c.variant)), dir, 3, c.message);
  }
  TempDir dir;
  EXPECT_EQ(0, kroplay(dir, script("uses_add.lua") + " " + plugin("well_behaved")).status);
}

TEST(Kroplay, AnInterruptedRunLeavesNothing) {
  TempDir dir;
  const Outcome run = shell(
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

TEST(Kroplay, CountsFramesOnATerminalOnly) {
  TempDir dir;
  // `script` gives kroplay a terminal; without one (every other test) stderr
  // holds only the final line.
  const Outcome on_terminal =
      kroplay(dir, "-qec \"'" KROPLAY_PATH "' " + script("lines.lua") + "\" /dev/null", "script");
  EXPECT_EQ(0, on_terminal.status);
  EXPECT_NE(std::string::npos, on_terminal.out.find("\rkroplay: frame 1"));
  EXPECT_NE(std::string::npos, on_terminal.out.find("kroplay: wrote lines.gif (5 frames, 6x4)"));
  // A GIF is not sent to a terminal.
  const Outcome to_terminal = kroplay(
      dir, "-qec \"'" KROPLAY_PATH "' " + script("lines.lua") + " -o -\" /dev/null", "script");
  EXPECT_NE(std::string::npos,
            to_terminal.out.find("kroplay: -o - would write a GIF to the terminal"))
      << to_terminal.out;
  EXPECT_EQ(std::string::npos, to_terminal.out.find("GIF89a"));
  // An error clears the counter line before it is printed.
  TempDir failing;
  failing.write("late.lua", "frame(3)\nerror('late')\n");
  const Outcome error =
      kroplay(failing, "-qec \"'" KROPLAY_PATH "' '" + failing.file("late.lua") + "'\" /dev/null",
              "script");
  EXPECT_EQ(1, error.status);
  EXPECT_NE(std::string::npos, error.out.find("\rkroplay: frame "));
  EXPECT_NE(std::string::npos,
            error.out.find("\r\033[Kkroplay: " + failing.file("late.lua") + ":2: late"))
      << error.out;
}

// Eight different frames: 0..4 at 6x4, 5..7 at 4x5; frame 7 with colour 7
// changed.
const char kSizesScript[] =
    "screen(6, 4)\n"
    "for i = 0, 4 do FILL(3 + i) PUT_HLINE(i % 4, 9) PUT_VLINE(i, 10) frame() end\n"
    "screen(4, 5)\n"
    "for i = 0, 1 do FILL(7) PUT_VLINE(i, 12) frame() end\n"
    "color(7, 1, 2, 3) frame()\n";
const std::pair<int, int> kSizes[] = {{6, 4}, {6, 4}, {6, 4}, {6, 4},
                                      {6, 4}, {4, 5}, {4, 5}, {4, 5}};

// The w x h top left of a GIF frame as composed on its screen: the frame
// itself at its native size. With `rgb`, as colours.
std::vector<uint8_t> native(const ReadGif &gif, size_t frame, bool rgb = false) {
  const auto [w, h] = kSizes[frame];
  const int bytes = rgb ? 3 : 1;
  const std::vector<uint8_t> &all = rgb ? gif.frames[frame].rgb : gif.frames[frame].indices;
  std::vector<uint8_t> out;
  for (int y = 0; y < h; ++y)
    out.insert(out.end(), all.begin() + (y * gif.width) * bytes,
               all.begin() + (y * gif.width + w) * bytes);
  return out;
}

ReadPng read_png_back(const std::string &path) {
  ReadPng png;
  EXPECT_EQ("", read_png(path, png));
  return png;
}

// An indexed PNG's pixels as colours, through its PLTE.
ReadPng as_rgb(const ReadPng &png) {
  ReadPng rgb = png;
  rgb.indexed = false;
  rgb.pixels.clear();
  for (uint8_t index : png.pixels)
    rgb.pixels.insert(rgb.pixels.end(), png.palette.begin() + 3 * index,
                      png.palette.begin() + 3 * index + 3);
  return rgb;
}

// The hash line --hash prints for frame `n`, made from a PNG's indices and
// PLTE: equal only if the PNG holds the host's own indices and palette.
std::string png_hash_line(size_t n, const ReadPng &png) {
  kroplay::Palette palette{};
  std::copy(png.palette.begin(), png.palette.end(), palette.begin());
  return hash_line(n, png.pixels, palette);
}

// A w x h block of a sheet's pixels (bytes each) starting at (left, top).
std::vector<uint8_t> block(const ReadPng &png, int left, int top, int w, int h, int bytes) {
  std::vector<uint8_t> out;
  for (int y = top; y < top + h; ++y)
    out.insert(out.end(), png.pixels.begin() + (y * png.width + left) * bytes,
               png.pixels.begin() + (y * png.width + left + w) * bytes);
  return out;
}

TEST(KroplayOutput, PngFrameAndSheetHoldTheGifsFrames) {
  TempDir dir;
  dir.write("sizes.lua", kSizesScript);
  const Outcome hashed = kroplay(dir, "sizes.lua --hash");
  ASSERT_EQ(0, hashed.status) << hashed.err;
  const ReadGif gif = read_back(dir.file("sizes.gif"));
  ASSERT_EQ(8u, gif.frames.size());

  // The host's indices and palette exactly (the hash), showing the GIF's colours.
  const Outcome one = kroplay(dir, "sizes.lua -o one.png --frames 3");
  ASSERT_EQ(0, one.status) << one.err;
  EXPECT_EQ("kroplay: wrote one.png (1 frame, 6x4)\n", one.err);
  const ReadPng single = read_png_back(dir.file("one.png"));
  EXPECT_TRUE(single.indexed);
  EXPECT_EQ(8, single.bit_depth);
  EXPECT_EQ(6, single.width);
  EXPECT_EQ(4, single.height);
  EXPECT_NE(std::string::npos, hashed.out.find(png_hash_line(3, single))) << hashed.out;
  EXPECT_EQ(native(gif, 3, true), as_rgb(single).pixels);

  // Frames 3, 4 (6x4) and 5, 6 (4x5) in cells of 6x5, three to a row; the
  // rest of each cell, and the two empty cells, colour 0.
  ASSERT_EQ(0, kroplay(dir, "sizes.lua -o sheet.png --frames 3..6 --columns 3").status);
  const ReadPng sheet = read_png_back(dir.file("sheet.png"));
  EXPECT_TRUE(sheet.indexed);
  ASSERT_EQ(18, sheet.width);
  ASSERT_EQ(10, sheet.height);
  const ReadPng sheet_rgb = as_rgb(sheet);
  for (int cell = 0; cell < 6; ++cell) {
    SCOPED_TRACE(cell);
    const int left = cell % 3 * 6, top = cell / 3 * 5;
    const auto [w, h] = cell < 4 ? kSizes[3 + cell] : std::pair<int, int>{0, 0};
    if (cell < 4) {
      EXPECT_EQ(native(gif, 3 + cell, true), block(sheet_rgb, left, top, w, h, 3));
    }
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 6; ++x) {
        if (x >= w || y >= h) {
          ASSERT_EQ(0, sheet.pixels[(top + y) * 18 + left + x]) << x << "," << y;
        }
      }
    }
  }

  // Frames 6 and 7 differ in palette: an RGB sheet, each in its colours.
  ASSERT_EQ(0, kroplay(dir, "sizes.lua -o rgb.png --frames 6..7").status);
  const ReadPng rgb = read_png_back(dir.file("rgb.png"));
  EXPECT_FALSE(rgb.indexed);
  ASSERT_EQ(8, rgb.width);
  EXPECT_EQ(native(gif, 6, true), block(rgb, 0, 0, 4, 5, 3));
  EXPECT_EQ(native(gif, 7, true), block(rgb, 4, 0, 4, 5, 3));
  EXPECT_NE(block(rgb, 0, 0, 4, 5, 3), block(rgb, 4, 0, 4, 5, 3));
}

TEST(KroplayOutput, ScaleRepeatsEveryPixelInGifAndPng) {
  TempDir dir;
  dir.write("sizes.lua", kSizesScript);
  ASSERT_EQ(0, kroplay(dir, "sizes.lua").status);
  ASSERT_EQ(0, kroplay(dir, "sizes.lua --scale 3 -o big.gif").status);
  ASSERT_EQ(0, kroplay(dir, "sizes.lua --scale 2 --frames 4 -o big.png").status);
  ASSERT_EQ(0, kroplay(dir, "sizes.lua --frames 4 -o small.png").status);
  const ReadGif gif = read_back(dir.file("sizes.gif"));
  const ReadGif big = read_back(dir.file("big.gif"));
  ASSERT_EQ(gif.frames.size(), big.frames.size());
  EXPECT_EQ(3 * gif.width, big.width);
  EXPECT_EQ(3 * gif.height, big.height);
  for (size_t f = 0; f < gif.frames.size(); ++f)
    for (int y = 0; y < big.height; ++y)
      for (int x = 0; x < big.width; ++x)
        for (int c = 0; c < 3; ++c)
          ASSERT_EQ(gif.frames[f].rgb[3 * (y / 3 * gif.width + x / 3) + c],
                    big.frames[f].rgb[3 * (y * big.width + x) + c])
              << "frame " << f << " at " << x << "," << y;
  const ReadPng small = read_png_back(dir.file("small.png"));
  const ReadPng png = read_png_back(dir.file("big.png"));
  ASSERT_EQ(12, png.width);
  ASSERT_EQ(8, png.height);
  EXPECT_EQ(small.palette, png.palette);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(small.pixels[y / 2 * 6 + x / 2], png.pixels[y * 12 + x]);
}

TEST(KroplayOutput, FramesChoosesWhatGoesOutAndRefusesARangePastTheEnd) {
  TempDir dir;
  dir.write("sizes.lua", kSizesScript);
  const Outcome all = kroplay(dir, "sizes.lua --hash");
  const Outcome some = kroplay(dir, "sizes.lua --hash --frames 2..4 -o some.gif");
  const Outcome last = kroplay(dir, "sizes.lua --frames 7 -o last.gif");
  ASSERT_EQ(0, some.status) << some.err;
  EXPECT_EQ(all.out, some.out);  // every frame still hashed
  const ReadGif gif = read_back(dir.file("sizes.gif"));
  const ReadGif part = read_back(dir.file("some.gif"));
  ASSERT_EQ(3u, part.frames.size());
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(native(gif, 2 + i, true), part.frames[i].rgb);
  ASSERT_EQ(0, last.status) << last.err;
  const ReadGif one = read_back(dir.file("last.gif"));
  ASSERT_EQ(1u, one.frames.size());
  EXPECT_EQ(native(gif, 7, true), one.frames[0].rgb);

  TempDir empty;
  empty.write("sizes.lua", kSizesScript);
  const Outcome past = kroplay(empty, "sizes.lua --frames 5..8");
  EXPECT_EQ(1, past.status);
  EXPECT_EQ(
      "kroplay: --frames 5..8 is past the end: the run composed 8 frames, the last is frame 7; "
      "nothing written\n",
      past.err);
  EXPECT_EQ(std::vector<std::string>{"sizes.lua"}, empty.entries());
}

TEST(KroplayOutput, APngTooLargeForEveryFrameIsRefusedWithAHint) {
  TempDir dir;
  dir.write("big.lua", "screen(4096, 4096) FILL(5) frame(5)\n");
  const Outcome all = kroplay(dir, "big.lua -o all.png");
  EXPECT_EQ(1, all.status);
  EXPECT_EQ(
      "kroplay: cannot write 'all.png': a PNG of 5 frames of 4096x4096 would hold more than "
      "67108864 pixels; choose fewer frames with --frames A..B\n",
      all.err);
  EXPECT_EQ(std::vector<std::string>{"big.lua"}, dir.entries());
  const Outcome four = kroplay(dir, "big.lua -o four.png --frames 1..4");
  ASSERT_EQ(0, four.status) << four.err;
  EXPECT_EQ("kroplay: wrote four.png (4 frames as a 2x2 sheet, 8192x8192)\n", four.err);
}

TEST(KroplayOutput, ASymbolicLinkIsFollowedAndKept) {
  TempDir dir;
  dir.write("sizes.lua", kSizesScript);
  ASSERT_EQ(0, symlink("target.gif", dir.file("link.gif").c_str()));  // dangling at first
  ASSERT_EQ(0, kroplay(dir, "sizes.lua -o link.gif").status);
  ASSERT_EQ(0, kroplay(dir, "sizes.lua -o link.gif --frames 1").status);  // replaces the target
  struct stat info;
  ASSERT_EQ(0, lstat(dir.file("link.gif").c_str(), &info));
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(1u, read_back(dir.file("target.gif")).frames.size());
  EXPECT_EQ((std::vector<std::string>{"link.gif", "sizes.lua", "target.gif"}), dir.entries());
}

TEST(KroplayOutput, DevicesFifosAndStandardOutputAreWrittenDirectly) {
  TempDir dir;
  dir.write("sizes.lua", kSizesScript);
  const Outcome to_stdout = shell(dir, "$K sizes.lua -o - > piped.gif");
  ASSERT_EQ(0, to_stdout.status) << to_stdout.err;
  EXPECT_EQ("kroplay: wrote standard output (8 frames, 6x5)\n", to_stdout.err);
  EXPECT_EQ(8u, read_back(dir.file("piped.gif")).frames.size());

  ASSERT_EQ(0, mkfifo(dir.file("fifo").c_str(), 0600));
  const Outcome fifo =
      shell(dir, "timeout 30 cat fifo > from_fifo.gif & timeout 30 $K sizes.lua -o fifo; wait");
  ASSERT_EQ(0, fifo.status) << fifo.err;
  EXPECT_EQ(8u, read_back(dir.file("from_fifo.gif")).frames.size());
  struct stat info;
  ASSERT_EQ(0, stat(dir.file("fifo").c_str(), &info));
  EXPECT_TRUE(S_ISFIFO(info.st_mode));

  // A Unix socket: kroplay connects and sends the GIF; this test reads it.
  // The reader stops waiting once kroplay has ended, so a kroplay that
  // never connects fails the test instead of hanging it.
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socket_path = dir.file("socket");
  ASSERT_LT(socket_path.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socket_path.c_str(), socket_path.size() + 1);
  ASSERT_EQ(0, bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address));
  ASSERT_EQ(0, listen(listener, 1));
  std::string received;
  std::atomic<bool> ended{false};
  std::thread reader([&] {
    for (;;) {
      const bool had_ended = ended;
      pollfd waiting{listener, POLLIN, 0};
      if (poll(&waiting, 1, 100) == 1) {
        const int connection = accept(listener, nullptr, nullptr);
        char buffer[4096];
        for (ssize_t got; connection >= 0 && (got = read(connection, buffer, sizeof buffer)) > 0;)
          received.append(buffer, static_cast<size_t>(got));
        if (connection >= 0) close(connection);
        return;
      }
      if (had_ended) return;  // a connection it made was waiting by then
    }
  });
  const Outcome to_socket = shell(dir, "timeout 30 $K sizes.lua -o socket");
  ended = true;
  reader.join();
  close(listener);
  ASSERT_EQ(0, to_socket.status) << to_socket.err;
  EXPECT_NE("", received) << "kroplay did not connect";
  dir.write("from_socket.gif", received);
  EXPECT_EQ(8u, read_back(dir.file("from_socket.gif")).frames.size());

  if (geteuid() != 0) GTEST_SKIP() << "making a device node needs root";
  ASSERT_EQ(0, mknod(dir.file("null").c_str(), S_IFCHR | 0666, makedev(1, 3)));
  const Outcome device = kroplay(dir, "sizes.lua -o null");
  EXPECT_EQ(0, device.status) << device.err;
  ASSERT_EQ(0, stat(dir.file("null").c_str(), &info));
  EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST(KroplayOutput, RefusesToWriteOverTheScript) {
  TempDir dir;
  dir.write("sizes.lua", kSizesScript);
  ASSERT_EQ(0, symlink("sizes.lua", dir.file("alias.gif").c_str()));
  for (const std::string output : {"sizes.lua", "alias.gif", "./sizes.lua"}) {
    SCOPED_TRACE(output);
    const Outcome run = kroplay(dir, "sizes.lua -o " + output);
    EXPECT_EQ(2, run.status);
    EXPECT_EQ("kroplay: -o " + output +
                  " is the script itself; choose another output (see kroplay --help)\n",
              run.err);
  }
  EXPECT_EQ(kSizesScript, slurp(dir.file("sizes.lua")));
  // The default output, the script's name with .gif, is checked too.
  dir.write("named.gif", kSizesScript);
  const Outcome run = kroplay(dir, "named.gif");
  EXPECT_EQ(2, run.status);
  EXPECT_EQ(
      "kroplay: the output named.gif would be the script itself; choose another output (see "
      "kroplay --help)\n",
      run.err);
  EXPECT_EQ(kSizesScript, slurp(dir.file("named.gif")));
}

TEST(KroplayOutput, LimitsStopRunawayScriptsWithNothingWritten) {
  const struct {
    std::string script, options, message;
  } cases[] = {
      {"while true do frame() end", "--max-frames 10",
       "kroplay: the script composed more than 10 frames and was stopped (--max-frames N to "
       "change, 0 for no limit)\n"},
      {"frame() while true do end", "--timeout 1",
       "kroplay: the script ran longer than 1 s and was stopped (--timeout SECS to change, 0 "
       "for no limit)\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.options);
    TempDir dir;
    dir.write("runaway.lua", c.script);
    // A limit that fails to stop the script fails the test, not the suite.
    const Outcome run = shell(dir, "timeout 30 $K runaway.lua " + c.options);
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(c.message, run.err);
    EXPECT_EQ(std::vector<std::string>{"runaway.lua"}, dir.entries());
  }
  TempDir dir;
  dir.write("ten.lua", "frame(10)");
  EXPECT_EQ(0, kroplay(dir, "ten.lua --max-frames 10").status);
}

TEST(KroplayScript, OsExitEndsTheScriptKeepingItsFramesAndStatus) {
  const struct {
    std::string call;
    int status;
  } cases[] = {{"os.exit(4)", 4},
               {"os.exit(false)", 1},
               {"os.exit()", 0},
               {"print(pcall(os.exit, 3)) frame()", 3},
               {"print(coroutine.resume(coroutine.create(function() os.exit(7) end)))", 7}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.call);
    TempDir dir;
    dir.write("exits.lua",
              "screen(4, 4) for i = 1, 3 do FILL(i) frame() end\n" + c.call + "\nframe(5)\n");
    const Outcome run = kroplay(dir, "exits.lua");
    EXPECT_EQ(c.status, run.status) << run.err;
    EXPECT_EQ("", run.out);  // not even pcall returns
    EXPECT_EQ("kroplay: wrote exits.gif (3 frames, 4x4)\n", run.err);
    EXPECT_EQ(3u, read_back(dir.file("exits.gif")).frames.size());
  }
}

TEST(KroplayScript, PrintGoesToStderrWhenStdoutCarriesFrames) {
  TempDir dir;
  dir.write(
      "talks.lua",
      "screen(2, 2) frame()\nprint('a', 1, nil)\nio.write('b\\n')\nio.stdout:write('c\\n')\n");
  const Outcome plain = kroplay(dir, "talks.lua");
  EXPECT_EQ("a\t1\tnil\nb\nc\n", plain.out);
  const Outcome hashed = kroplay(dir, "talks.lua --hash");
  EXPECT_EQ(0u, hashed.out.find("frame 0 ")) << hashed.out;
  EXPECT_EQ(1, std::count(hashed.out.begin(), hashed.out.end(), '\n')) << hashed.out;
  EXPECT_EQ(0u, hashed.err.find("a\t1\tnil\nb\nc\n")) << hashed.err;
  const Outcome piped = shell(dir, "$K talks.lua -o - > piped.gif");
  EXPECT_EQ(0u, piped.err.find("a\t1\tnil\nb\nc\n")) << piped.err;
  EXPECT_EQ(1u, read_back(dir.file("piped.gif")).frames.size());
}

TEST(KroplayScript, LoadBackgroundFindsPicturesBesideTheScript) {
  TempDir dir;
  ASSERT_EQ(0, mkdir(dir.file("art").c_str(), 0755));
  kroplay::Palette palette = kroplay::default_palette();
  const std::vector<uint8_t> picture = {1, 2, 3, 4, 5, 6};
  {
    kroplay::GifWriter writer(dir.file("art/pic.gif"), 2);
    writer.add_frame(picture.data(), 3, 2, palette);
    writer.finish();
  }
  dir.write("art/show.lua", "screen(3, 2) load_background('pic.gif') frame()\n");
  const Outcome run = kroplay(dir, "art/show.lua");  // from the folder above
  ASSERT_EQ(0, run.status) << run.err;
  std::vector<uint8_t> colours;
  for (uint8_t index : picture)
    colours.insert(colours.end(), palette.begin() + 3 * index, palette.begin() + 3 * index + 3);
  EXPECT_EQ(colours, read_back(dir.file("show.gif")).frames[0].rgb);
}

TEST(Kroplay, FinalizersRunBeforeTheEndAndCannotReachTheEndedRun) {
  TempDir dir;
  const Outcome run = kroplay(dir, script("finalizers_after_end.lua") + " -o out.gif");
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
    const Outcome failed = kroplay(work, "f.lua -o out.gif " + c.arguments);
    std::remove(work.file("f.lua").c_str());
    expect_failure(failed, work, c.status, c.message);
  }
}

TEST(Kroplay, BinaryChunksAreRefusedEverywhere) {
  TempDir dir;
  const Outcome run = kroplay(dir, script("binary_chunks.lua"));
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ(std::vector<std::string>{"binary_chunks.gif"}, dir.entries());

  // A precompiled script.
  TempDir chunks;
  chunks.write("make.lua",
               "local f = io.open('chunk.luac', 'wb')\n"
               "f:write(string.dump(load('FILL(3) frame()')))\nf:close()\n");
  ASSERT_EQ(0, kroplay(chunks, "make.lua").status);
  TempDir work;
  expect_failure(kroplay(work, "'" + chunks.file("chunk.luac") + "'"), work, 1,
                 chunks.file("chunk.luac") + ": attempt to load a binary chunk");
}

TEST(Kroplay, DebugLibraryCannotForgeKroplaysFunctions) {
  TempDir dir;
  const Outcome run = kroplay(dir, script("debug_upvalues.lua"));
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ(1u, read_back(dir.file("debug_upvalues.gif")).frames.size());
}

TEST(Kroplay, LoadBackgroundOpensOnlyRegularFilesOfBoundedSize) {
  TempDir dir;
  kroplay::Palette palette{};
  palette[3] = 77;
  const std::vector<uint8_t> picture(4, 1);
  {
    kroplay::GifWriter writer(dir.file("bg.gif"), 2);
    writer.add_frame(picture.data(), 2, 2, palette);
    writer.finish();
  }
  ASSERT_EQ(0, mkfifo(dir.file("fifo").c_str(), 0600));
  ASSERT_EQ(0, mkdir(dir.file("folder").c_str(), 0700));
  dir.write("big.gif", "");
  ASSERT_EQ(0, truncate(dir.file("big.gif").c_str(), (int64_t{64} << 20) + 1));
  // Beside the files it names, which a script finds in its own folder.
  dir.write("background_limits.lua", slurp(kScripts + "/background_limits.lua"));
  // A FIFO nobody writes to would block for ever: `timeout` ends that.
  const Outcome run = kroplay(dir, "20 '" KROPLAY_PATH "' background_limits.lua", "timeout");
  ASSERT_EQ(0, run.status) << run.err;
  // The picture and its colours reached the background: the first pixel
  // shows the picture's colour 1.
  const ReadGif gif = read_back(dir.file("background_limits.gif"));
  ASSERT_FALSE(gif.frames.empty());
  EXPECT_EQ((std::vector<uint8_t>{77, 0, 0}),
            std::vector<uint8_t>(gif.frames[0].rgb.begin(), gif.frames[0].rgb.begin() + 3));
}

TEST(Kroplay, LongStringsAreQuotedShortened) {
  TempDir dir;
  const Outcome run = kroplay(dir, script("long_strings.lua"));
  EXPECT_EQ(1, run.status);
  EXPECT_LT(run.err.size(), 1500u);
  EXPECT_NE(std::string::npos, run.err.find("long_strings.lua:8: xxx")) << run.err.substr(0, 300);
  EXPECT_NE(std::string::npos, run.err.find("xxx... (100000")) << run.err.substr(0, 300);
  EXPECT_EQ(std::vector<std::string>{}, dir.entries());
}

}  // namespace
