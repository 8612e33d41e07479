#include "support/kroplay_runs.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "support/reference_model.h"

std::string slurp(const std::string &path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

ProgramRun shell(const TempDir &dir, const std::string &command) {
  TempDir logs;
  const std::string line = "cd '" + dir.path() + "' && K='" KROPLAY_PATH "' && { " + command +
                           "; } >'" + logs.file("out") + "' 2>'" + logs.file("err") + "'";
  const int raw = std::system(line.c_str());
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  run.out = slurp(logs.file("out"));
  run.err = slurp(logs.file("err"));
  return run;
}

ProgramRun run_kroplay(const TempDir &dir, const std::string &arguments,
                       const std::string &program) {
  return shell(dir, "exec '" + program + "' " + arguments);
}

void expect_failure(const ProgramRun &run, const TempDir &dir, int status,
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

ReadPng read_png_back(const std::string &path) {
  ReadPng png;
  EXPECT_EQ("", read_png(path, png));
  return png;
}

std::string lua_of(const std::vector<Step> &steps) {
  std::string text;
  for (const Step &s : steps) {
    text += s.name + "(";
    for (size_t i = 0; i < s.args.size(); ++i) text += (i ? ", " : "") + std::to_string(s.args[i]);
    text += ")\n";
  }
  return text;
}

std::vector<std::vector<uint8_t>> model_frames(const std::vector<Step> &steps, int32_t width,
                                               int32_t height,
                                               std::vector<std::pair<int32_t, int32_t>> *sizes) {
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

void expect_playback(const ReadGif &gif, const std::vector<std::vector<uint8_t>> &frames,
                     const kroplay::Palette &palette, int32_t width, int32_t height,
                     const std::vector<std::pair<int32_t, int32_t>> *sizes) {
  std::vector<ShownFrame> shown;
  for (size_t i = 0; i < frames.size(); ++i)
    shown.push_back({&frames[i], sizes ? (*sizes)[i].first : width,
                     sizes ? (*sizes)[i].second : height, &palette});
  EXPECT_EQ("", compare_playback(gif, shown, 2));
}

std::string hash_line(size_t n, const std::vector<uint8_t> &indices,
                      const kroplay::Palette &palette) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (uint8_t b : indices) hash = (hash ^ b) * 0x100000001b3ull;
  for (uint8_t b : palette) hash = (hash ^ b) * 0x100000001b3ull;
  char line[64];
  std::snprintf(line, sizeof line, "frame %zu %016llx\n", n, static_cast<unsigned long long>(hash));
  return line;
}

const char kSizesScript[] =
    "screen(6, 4)\n"
    "for i = 0, 4 do FILL(3 + i) PUT_HLINE(i % 4, 9) PUT_VLINE(i, 10) frame() end\n"
    "screen(4, 5)\n"
    "for i = 0, 1 do FILL(7) PUT_VLINE(i, 12) frame() end\n"
    "color(7, 1, 2, 3) frame()\n";
const std::pair<int, int> kSizes[8] = {{6, 4}, {6, 4}, {6, 4}, {6, 4},
                                       {6, 4}, {4, 5}, {4, 5}, {4, 5}};

std::vector<uint8_t> native(const ReadGif &gif, size_t frame, bool rgb) {
  const auto [w, h] = kSizes[frame];
  const int bytes = rgb ? 3 : 1;
  const std::vector<uint8_t> &all = rgb ? gif.frames[frame].rgb : gif.frames[frame].indices;
  std::vector<uint8_t> out;
  for (int y = 0; y < h; ++y)
    out.insert(out.end(), all.begin() + (y * gif.width) * bytes,
               all.begin() + (y * gif.width + w) * bytes);
  return out;
}
