// kroplay run as a user runs it: Lua scripts against the real plug-in (and
// the deliberately broken ones), GIFs read back with giflib and compared
// with the reference model or hand-derived pixels, every error path checked
// for its message, exit status and the absence of any output file.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "kroplay/gif/gif_writer.h"
#include "kroplay/host/palettes.h"
#include "support/gif_reading.h"
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

// Runs kroplay in `dir` (its working folder) with `arguments`, already
// quoted for the shell.
Outcome kroplay(const TempDir &dir, const std::string &arguments,
                const std::string &program = KROPLAY_PATH) {
  TempDir logs;
  const std::string command = "cd '" + dir.path() + "' && exec '" + program + "' " + arguments +
                              " >'" + logs.file("out") + "' 2>'" + logs.file("err") + "'";
  const int raw = std::system(command.c_str());
  Outcome run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  run.out = slurp(logs.file("out"));
  run.err = slurp(logs.file("err"));
  return run;
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

TEST(Kroplay, AnInterruptedOrAbandonedRunLeavesNothing) {
  TempDir dir;
  const Outcome run = kroplay(dir, script("endless.lua") + " & sleep 1; kill $!; wait $!");
  EXPECT_EQ(128 + SIGTERM, run.status);
  EXPECT_EQ(std::vector<std::string>{}, dir.entries());
  EXPECT_EQ(4, kroplay(dir, script("exits.lua")).status);
  EXPECT_EQ(std::vector<std::string>{}, dir.entries());
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
  // A FIFO nobody writes to would block for ever: `timeout` ends that.
  const Outcome run =
      kroplay(dir, "20 '" KROPLAY_PATH "' " + script("background_limits.lua"), "timeout");
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
