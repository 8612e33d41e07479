// The live preview driven through a scripted stand-in for the window: real
// time, pause and step, saving a frame, restarting with a fresh plug-in,
// reloading a saved script and surviving a broken one.
#include "kroplay/preview/preview_session.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>

#include "kroplay/preview/session_thread.h"
#include "kroplay/record/output_choice.h"
#include "support/gif_reading.h"

namespace {

using namespace kroplay;
using Clock = std::chrono::steady_clock;

struct Shown {
  std::vector<uint8_t> pixels;
  int32_t width, height;
  Palette palette;
};

// Records what the session shows and answers its polls with `user`.
class ScriptedDisplay : public PreviewDisplay {
 public:
  std::vector<Shown> shown;
  std::vector<std::string> titles;
  std::vector<std::string> copied;
  std::function<std::optional<PreviewAction>()> user;

  void show(const uint8_t *pixels, int32_t width, int32_t height, const Palette &palette) override {
    shown.push_back(
        {std::vector<uint8_t>(pixels, pixels + width * height), width, height, palette});
  }
  void set_title(const std::string &title) override { titles.push_back(title); }
  void copy_text(const std::string &text) override { copied.push_back(text); }
  bool next_action(int timeout_ms, PreviewAction &action) override {
    const std::optional<PreviewAction> next = user();
    if (next) {
      action = *next;
      return true;
    }
    // Stands in for the wait for an event, without busy looping.
    if (timeout_ms > 0) usleep(1000);
    return false;
  }
  const std::string &title() const { return titles.back(); }
};

class PreviewSessionTest : public testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/kroplay-preview-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
    ASSERT_EQ(getcwd(old_cwd_, sizeof old_cwd_), old_cwd_);
    ASSERT_EQ(chdir(dir_.c_str()), 0);  // saved frames land here
    messages_ = std::tmpfile();
    setup_.script = dir_ + "/live.lua";
    setup_.plugin = WAVEFX_MODULE_PATH;
    setup_.width = 16;
    setup_.height = 8;
    setup_.fps = 100;
  }
  void TearDown() override {
    std::fclose(messages_);
    EXPECT_EQ(chdir(old_cwd_), 0);
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }

  void write_script(const std::string &text) {
    const std::string temporary = setup_.script + ".new";
    std::ofstream(temporary) << text;
    ASSERT_EQ(std::rename(temporary.c_str(), setup_.script.c_str()), 0);
  }
  std::string messages() {
    std::fflush(messages_);
    std::rewind(messages_);
    std::ostringstream text;
    for (int c; (c = std::fgetc(messages_)) != EOF;) text << static_cast<char>(c);
    return text.str();
  }
  // Runs the session with `user` answering, quitting (and failing) if it
  // still runs after ten seconds.
  void run(PreviewSession &session, ScriptedDisplay &display,
           std::function<std::optional<PreviewAction>()> user) {
    const Clock::time_point give_up = Clock::now() + std::chrono::seconds(10);
    display.user = [&, user]() -> std::optional<PreviewAction> {
      if (Clock::now() > give_up) {
        ADD_FAILURE() << "still running; last title: " << display.title();
        return PreviewAction::kQuit;
      }
      return user();
    };
    session.run();
  }

  std::string dir_;
  char old_cwd_[4096];
  std::FILE *messages_ = nullptr;
  PreviewSetup setup_;
};

// Background stripes that a ripple moves, so every frame differs.
const char *kRippling =
    "for y = 0, HOW_HIGH() - 1 do PUT_HLINE(y, 16 + 9 * y) end\n"
    "START_RIPPLE(5, 10, 20)\n"
    "while true do frame() end\n";

TEST_F(PreviewSessionTest, RunsFramesInRealTime) {
  write_script("frame(10)\n");
  setup_.fps = 50;
  ScriptedDisplay display;
  PreviewSession session(setup_, display, messages_, nullptr);
  const Clock::time_point start = Clock::now();
  Clock::duration ten_frames{};
  run(session, display, [&]() -> std::optional<PreviewAction> {
    if (display.title().find("ended") == std::string::npos) return std::nullopt;
    ten_frames = Clock::now() - start;
    return PreviewAction::kQuit;
  });
  ASSERT_EQ(display.shown.size(), 10u);
  // Nine slots of 20 ms lie between the first frame and the tenth.
  EXPECT_GE(ten_frames, std::chrono::milliseconds(175));
  EXPECT_NE(messages().find("live.lua ended after 10 frames"), std::string::npos) << messages();
}

TEST_F(PreviewSessionTest, PausesStepsOneFrameAndSavesTheFrameOnScreen) {
  write_script(kRippling);
  ScriptedDisplay display;
  PreviewSession session(setup_, display, messages_, nullptr);
  int stage = 0, idle_polls = 0;
  size_t frames_when_paused = 0;
  run(session, display, [&]() -> std::optional<PreviewAction> {
    switch (stage) {
      case 0:  // pause after frame 3
        if (display.shown.size() < 4) return std::nullopt;
        stage = 1;
        frames_when_paused = display.shown.size();
        return PreviewAction::kTogglePause;
      case 1:  // paused: nothing new for 30 polls, then one step
        EXPECT_EQ(display.shown.size(), frames_when_paused) << "frames went on while paused";
        if (++idle_polls < 30) return std::nullopt;
        stage = 2;
        idle_polls = 0;
        return PreviewAction::kStep;
      case 2:  // exactly one more frame, then save it
        EXPECT_LE(display.shown.size(), frames_when_paused + 1) << "a step ran more than one frame";
        if (display.shown.size() < frames_when_paused + 1 || ++idle_polls < 30) return std::nullopt;
        stage = 3;
        return PreviewAction::kSave;
      default:
        return PreviewAction::kQuit;
    }
  });
  ASSERT_EQ(display.shown.size(), frames_when_paused + 1);
  const size_t last = display.shown.size() - 1;
  EXPECT_EQ(display.title(),
            "kroplay - live.lua - frame " + std::to_string(last) +
                " - START_RIPPLE(5, 10, 20), phase 0.25 - tuning speed - paused - H: keys");

  const std::string saved = "live-frame" + std::to_string(last) + ".gif";
  EXPECT_NE(messages().find("saved " + saved), std::string::npos) << messages();
  ReadGif gif;
  ASSERT_EQ(read_gif(dir_ + "/" + saved, gif), "");
  ASSERT_EQ(gif.frames.size(), 1u);
  const Shown &on_screen = display.shown[last];
  EXPECT_EQ(compare_playback(
                gif, {{&on_screen.pixels, on_screen.width, on_screen.height, &on_screen.palette}},
                gif_delay(setup_.fps)),
            "");
  EXPECT_NE(display.shown[last].pixels, display.shown[last - 1].pixels);
}

TEST_F(PreviewSessionTest, RestartRunsTheScriptAgainWithAFreshPlugIn) {
  // The first frame comes before the ripple starts: a plug-in whose state
  // lasted into the second run would ripple it.
  write_script(
      "for y = 0, HOW_HIGH() - 1 do PUT_HLINE(y, 16 + 9 * y) end\n"
      "frame()\n"
      "START_RIPPLE(5, 10, 20)\n"
      "while true do frame() end\n");
  ScriptedDisplay display;
  PreviewSession session(setup_, display, messages_, nullptr);
  run(session, display, [&]() -> std::optional<PreviewAction> {
    if (session.runs() == 1 && display.shown.size() == 4) return PreviewAction::kRestart;
    if (display.shown.size() == 6) return PreviewAction::kQuit;
    return std::nullopt;
  });
  EXPECT_EQ(session.runs(), 2);
  ASSERT_EQ(display.shown.size(), 6u);
  EXPECT_EQ(display.shown[4].pixels, display.shown[0].pixels);
  EXPECT_EQ(display.shown[5].pixels, display.shown[1].pixels);
  EXPECT_NE(display.shown[1].pixels, display.shown[0].pixels);
  EXPECT_NE(messages().find("restarting live.lua"), std::string::npos) << messages();
}

TEST_F(PreviewSessionTest, ReloadsASavedScriptAndKeepsTheLastGoodFrameOnAnError) {
  write_script("FILL(3)\nframe(2)\n");
  ScriptedDisplay display;
  PreviewSession session(setup_, display, messages_, nullptr);
  int stage = 0;
  size_t good_frames = 0;
  run(session, display, [&]() -> std::optional<PreviewAction> {
    const bool ended = display.title().find("ended") != std::string::npos;
    const bool failed = display.title().find("error:") != std::string::npos;
    if (stage == 0 && ended) {
      write_script("FILL(7)\nSTART_DISTORT(5, 10, 3)\nframe(3)\n");
      stage = 1;
    } else if (stage == 1 && ended && session.runs() == 2) {
      good_frames = display.shown.size();
      write_script("FILL(9)\nframe(\n");
      stage = 2;
    } else if (stage == 2 && failed) {
      return PreviewAction::kQuit;
    }
    return std::nullopt;
  });
  EXPECT_EQ(session.runs(), 3);
  ASSERT_EQ(display.shown.size(), 5u);
  EXPECT_EQ(good_frames, 5u);
  EXPECT_EQ(display.shown[1].pixels, std::vector<uint8_t>(16 * 8, 3));
  EXPECT_EQ(display.shown[4].pixels[8], 7);
  const std::string &title = display.title();
  EXPECT_NE(title.find("frame 2 - error: "), std::string::npos) << title;
  EXPECT_NE(title.find("live.lua:3:"), std::string::npos) << title;
  const std::string text = messages();
  EXPECT_NE(text.find("live.lua changed; restarting"), std::string::npos) << text;
  EXPECT_NE(text.find("kroplay: error: "), std::string::npos) << text;
}

TEST_F(PreviewSessionTest, RestartsWhenAModuleOrAPictureTheRunReadIsSaved) {
  // A picture of one colour, saved as editors do: whole, under a new name.
  const auto save_picture = [&](const std::string &name, uint8_t colour) {
    GifWriter picture(dir_ + "/" + name, 2);
    const std::vector<uint8_t> pixels(16 * 8, colour);
    picture.add_frame(pixels.data(), 16, 8, default_palette());
    picture.finish();
  };
  const auto save_module = [&](const std::string &text) {
    std::ofstream(dir_ + "/shade.lua.new") << text;
    ASSERT_EQ(std::rename((dir_ + "/shade.lua.new").c_str(), (dir_ + "/shade.lua").c_str()), 0);
  };
  save_picture("tile.gif", 6);
  save_picture("sprite.gif", 1);
  save_module("return 2 +\n");  // fails to compile: the run ends in an error
  write_script(
      "load_background('tile.gif')\nload_picture('sprite.gif')\nframe()\n"
      "FILL((require('shade')))\nframe()\n");
  ScriptedDisplay display;
  PreviewSession session(setup_, display, messages_, nullptr);
  int stage = 0;
  run(session, display, [&]() -> std::optional<PreviewAction> {
    const bool ended = display.title().find("ended") != std::string::npos;
    if (stage == 0 && display.title().find("error:") != std::string::npos) {
      save_module("return 5\n");
      stage = 1;
    } else if (stage == 1 && ended) {
      save_picture("tile.gif", 7);
      stage = 2;
    } else if (stage == 2 && ended && session.runs() == 3) {
      save_picture("sprite.gif", 2);
      stage = 3;
    } else if (stage == 3 && ended && session.runs() == 4) {
      return PreviewAction::kQuit;
    }
    return std::nullopt;
  });
  ASSERT_EQ(display.shown.size(), 7u);
  EXPECT_EQ(display.shown[2].pixels, std::vector<uint8_t>(16 * 8, 5));
  // The GIF writer renumbers colours: the saved picture's shows as colour 7.
  EXPECT_EQ(colour_at(display.shown[3].palette, display.shown[3].pixels[0]),
            colour_at(default_palette(), 7));
  const std::string text = messages();
  EXPECT_NE(text.find(dir_ + "/shade.lua changed; restarting"), std::string::npos) << text;
  EXPECT_NE(text.find(dir_ + "/tile.gif changed; restarting"), std::string::npos) << text;
  EXPECT_NE(text.find(dir_ + "/sprite.gif changed; restarting"), std::string::npos) << text;
}

TEST_F(PreviewSessionTest, AnErrorsControlCharactersAreShownEscapedInTheTitle) {
  // An escape sequence that would set the terminal's title, then a bell.
  write_script("error('\\27]0;fine\\7', 0)\n");
  ScriptedDisplay display;
  PreviewSession session(setup_, display, messages_, nullptr);
  run(session, display, [&]() -> std::optional<PreviewAction> {
    if (display.title().find("error:") != std::string::npos) return PreviewAction::kQuit;
    return std::nullopt;
  });
  EXPECT_NE(display.title().find("error: \\x1b]0;fine\\x07 - "), std::string::npos)
      << display.title();
}

TEST_F(PreviewSessionTest, WritesTheGifOnlyWhenAskedAndHashesEachFrame) {
  write_script("FILL(5)\nframe(3)\n");
  setup_.output = dir_ + "/out.gif";
  setup_.hash = true;
  std::FILE *hashes = std::tmpfile();
  ScriptedDisplay display;
  PreviewSession session(setup_, display, messages_, hashes);
  run(session, display, [&]() -> std::optional<PreviewAction> {
    if (display.title().find("ended") == std::string::npos) return std::nullopt;
    return PreviewAction::kQuit;
  });
  ReadGif gif;
  ASSERT_EQ(read_gif(setup_.output, gif), "");
  // Three equal frames: one, shown three times as long.
  ASSERT_EQ(gif.frames.size(), 1u);
  EXPECT_EQ(gif.frames[0].delay, 3 * gif_delay(setup_.fps));
  std::rewind(hashes);
  char line[64];
  int lines = 0;
  while (std::fgets(line, sizeof line, hashes) != nullptr) ++lines;
  std::fclose(hashes);
  EXPECT_EQ(lines, 3);
  EXPECT_EQ(access((dir_ + "/live.gif").c_str(), F_OK), -1);
}

// The hashes in `file`'s "frame N HASH" lines, in order.
std::vector<std::string> hashes_in(std::FILE *file) {
  std::rewind(file);
  std::vector<std::string> hashes;
  char line[128], hash[64];
  long number;
  while (std::fgets(line, sizeof line, file) != nullptr)
    if (std::sscanf(line, "frame %ld %63s", &number, hash) == 2) hashes.emplace_back(hash);
  return hashes;
}

// Stripes a ripple or a distortion moves on the 16x8 screen.
const char *kStripes = "for y = 0, HOW_HIGH() - 1 do PUT_HLINE(y, 16 + 9 * y) end\n";

// Tuning keys pressed while paused act between the frame on screen and the
// next; each press list is followed by one step.
struct TunedRun {
  std::vector<std::string> hashes;  // every frame's
  std::vector<size_t> tuned_after;  // the frame each press list followed
};

class PreviewTuningTest : public PreviewSessionTest {
 protected:
  // The frame hashes of a recording run of `script` on the same screen.
  std::vector<std::string> recorded_hashes(const std::string &script) {
    const std::string path = dir_ + "/reference.lua";
    std::ofstream(path) << script;
    const std::string command = "'" KROPLAY_PATH "' --hash --size 16x8 -o '" + dir_ +
                                "/reference.gif' '" + path + "' 2>/dev/null";
    std::FILE *pipe = popen(command.c_str(), "r");
    std::FILE *copy = std::tmpfile();
    for (int c; (c = std::fgetc(pipe)) != EOF;) std::fputc(c, copy);
    EXPECT_EQ(pclose(pipe), 0) << command;
    std::vector<std::string> hashes = hashes_in(copy);
    std::fclose(copy);
    return hashes;
  }

  TunedRun run_tuned(PreviewSession &session, ScriptedDisplay &display, std::FILE *hashes,
                     const std::vector<std::vector<PreviewAction>> &presses, size_t frames_after) {
    TunedRun tuned;
    std::vector<PreviewAction> queue;
    size_t next = 0, stepped_from = 0;
    int idle_polls = 0;
    bool paused = false;
    run(session, display, [&]() -> std::optional<PreviewAction> {
      if (!queue.empty()) {
        const PreviewAction action = queue.front();
        queue.erase(queue.begin());
        return action;
      }
      if (!paused) {
        if (display.shown.size() < 2) return std::nullopt;
        paused = true;
        return PreviewAction::kTogglePause;
      }
      // Settled: paused, and the step (if any) has shown its frame.
      if (display.shown.size() < stepped_from + 1 || ++idle_polls < 20) return std::nullopt;
      idle_polls = 0;
      if (next == presses.size() + frames_after) return PreviewAction::kQuit;
      stepped_from = display.shown.size();
      if (next < presses.size()) {
        tuned.tuned_after.push_back(display.shown.size() - 1);
        queue = presses[next];
      }
      ++next;
      queue.push_back(PreviewAction::kStep);
      return std::nullopt;
    });
    tuned.hashes = hashes_in(hashes);
    return tuned;
  }
};

TEST_F(PreviewTuningTest, KeysChangeTheTunedParameterAsTheScriptsOwnCallsWould) {
  using A = PreviewAction;
  write_script(std::string(kStripes) +
               "START_DISTORT(4, 7, 3)\nSTART_RIPPLE(5, 10, 20)\nwhile true do frame() end\n");
  setup_.hash = true;
  std::FILE *hashes = std::tmpfile();
  ScriptedDisplay display;
  PreviewSession session(setup_, display, messages_, hashes);
  const TunedRun tuned = run_tuned(session, display, hashes,
                                   {{A::kUp},
                                    {A::kPickFrequency, A::kUpTen},
                                    {A::kPickAmplitude, A::kDouble},
                                    {A::kHalve, A::kDown},
                                    {A::kDownTen},
                                    {A::kDownTen, A::kHalve, A::kUpTen},
                                    {A::kNextParameter, A::kHalve},
                                    {A::kSwitchEffect, A::kPickSpeed, A::kUp}},
                                   2);
  std::fclose(hashes);
  // The same calls, made by a script after the same frames.
  const char *calls[] = {
      "CHANGE_RVAL(6, 0)",
      "CHANGE_RVAL(20, 1)",
      "CHANGE_RVAL(40, 2)",
      "CHANGE_RVAL(20, 2) CHANGE_RVAL(19, 2)",
      "CHANGE_RVAL(9, 2)",
      "CHANGE_RVAL(-1, 2) CHANGE_RVAL(0, 2) CHANGE_RVAL(10, 2)",  // halved towards zero
      "CHANGE_RVAL(3, 0)",
      "CHANGE_DVAL(5, 0)"};
  ASSERT_EQ(tuned.tuned_after.size(), std::size(calls));
  std::string reference =
      std::string(kStripes) + "START_DISTORT(4, 7, 3)\nSTART_RIPPLE(5, 10, 20)\n";
  size_t frames = 0;
  for (size_t i = 0; i < std::size(calls); ++i) {
    reference += "frame(" + std::to_string(tuned.tuned_after[i] + 1 - frames) + ")\n";
    frames = tuned.tuned_after[i] + 1;
    reference += std::string(calls[i]) + "\n";
  }
  reference += "frame(" + std::to_string(tuned.hashes.size() - frames) + ")\n";
  EXPECT_EQ(tuned.hashes, recorded_hashes(reference)) << reference;
  // The tuned distortion waits for the ripple; the title says so.
  const std::string &title = display.title();
  EXPECT_NE(title.find(" - START_DISTORT(5, 7, 3) CHANGE_DVAL(5, 0), phase 0.00 (waits for the "
                       "ripple) - tuning speed - "),
            std::string::npos)
      << title;
}

// Doubling, or a step, past the 32-bit range stops at its end: the plug-in
// gets that end, and the title's call shows it.
TEST_F(PreviewTuningTest, KeysStopAtTheEndsOfThe32BitRange) {
  using A = PreviewAction;
  const std::string start = std::string(kStripes) + "START_RIPPLE(-2000000000, 10, 2000000000)\n";
  write_script(start + "while true do frame() end\n");
  setup_.hash = true;
  std::FILE *hashes = std::tmpfile();
  ScriptedDisplay display;
  PreviewSession session(setup_, display, messages_, hashes);
  const TunedRun tuned = run_tuned(
      session, display, hashes, {{A::kDouble, A::kDown, A::kPickAmplitude, A::kDouble, A::kUp}}, 2);
  std::fclose(hashes);
  EXPECT_NE(display.title().find(" - START_RIPPLE(-2147483648, 10, 2147483647)"), std::string::npos)
      << display.title();
  ASSERT_EQ(tuned.tuned_after.size(), 1u);
  const size_t before = tuned.tuned_after[0] + 1;
  const std::string calls = "CHANGE_RVAL(-2147483648, 0) CHANGE_RVAL(2147483647, 2)\n";
  EXPECT_EQ(tuned.hashes,
            recorded_hashes(start + "frame(" + std::to_string(before) + ")\n" + calls + "frame(" +
                            std::to_string(tuned.hashes.size() - before) + ")\n"));
}

TEST_F(PreviewTuningTest, TheCopiedCallPastedIntoAScriptReproducesTheFrames) {
  using A = PreviewAction;
  // A speed of 0 keeps the phase at 0 until the keys set one, so the copied
  // START_ call, which restarts the phase, takes up exactly there.
  write_script(std::string(kStripes) + "START_RIPPLE(0, 10, 20)\nwhile true do frame() end\n");
  setup_.hash = true;
  std::FILE *hashes = std::tmpfile();
  ScriptedDisplay display;
  PreviewSession session(setup_, display, messages_, hashes);
  const TunedRun tuned = run_tuned(session, display, hashes,
                                   {{A::kPickFrequency, A::kUp, A::kPickAmplitude, A::kDownTen,
                                     A::kPickSpeed, A::kUpTen, A::kCopyCall}},
                                   6);
  std::fclose(hashes);
  ASSERT_EQ(display.copied.size(), 1u);
  const std::string &line = display.copied[0];
  EXPECT_EQ(line, "START_RIPPLE(10, 11, 10) CHANGE_RVAL(10, 0)");
  EXPECT_NE(messages().find("kroplay: copied " + line + "\n"), std::string::npos) << messages();
  EXPECT_NE(display.title().find(" - " + line + ", phase "), std::string::npos) << display.title();
  ASSERT_EQ(tuned.tuned_after.size(), 1u);
  const std::vector<std::string> after_the_copy(
      tuned.hashes.begin() + static_cast<long>(tuned.tuned_after[0]) + 1, tuned.hashes.end());
  ASSERT_GE(after_the_copy.size(), 6u);
  const std::vector<std::string> pasted = recorded_hashes(
      std::string(kStripes) + line + "\nframe(" + std::to_string(after_the_copy.size()) + ")\n");
  EXPECT_EQ(after_the_copy, pasted);
}

}  // namespace

namespace {

TEST_F(PreviewSessionTest, AScriptBusyWithoutFramesStillReloadsWhenSaved) {
  write_script("local n = 0\nwhile true do n = n + 1 end\n");
  ScriptedDisplay display;
  PreviewSession session(setup_, display, messages_, nullptr);
  int polls = 0;
  run(session, display, [&]() -> std::optional<PreviewAction> {
    if (++polls == 5) write_script("FILL(4)\nframe()\n");
    if (display.shown.size() == 1) return PreviewAction::kQuit;
    return std::nullopt;
  });
  EXPECT_EQ(session.runs(), 2);
  ASSERT_EQ(display.shown.size(), 1u);
  EXPECT_EQ(display.shown[0].pixels, std::vector<uint8_t>(16 * 8, 4));
}

TEST_F(PreviewSessionTest, FinalizersRunBeforeTheEndAndCannotReachTheEndedRun) {
  // Run 1 ends, run 2 is cut short by a save, run 3 fails.
  write_script(
      "setmetatable({}, {__gc = function() STOP_RIPPLE() FILL(9) frame() end})\n"
      "FILL(2)\nframe(2)\n");
  setup_.output = dir_ + "/out.gif";
  ScriptedDisplay display;
  PreviewSession session(setup_, display, messages_, nullptr);
  int stage = 0;
  run(session, display, [&]() -> std::optional<PreviewAction> {
    const bool ended = display.title().find("ended") != std::string::npos;
    if (stage == 0 && ended) {
      stage = 1;
      write_script(
          "setmetatable({}, {__gc = function() STOP_RIPPLE() FILL(9) frame() end})\n"
          "FILL(2)\nwhile true do frame() end\n");
      return std::nullopt;
    }
    if (stage == 1 && display.shown.size() == 6) {
      stage = 2;
      write_script(
          "setmetatable({}, {__gc = function() STOP_RIPPLE() FILL(9) frame() end})\n"
          "FILL(2)\nerror('boom')\n");
      return std::nullopt;
    }
    if (session.runs() == 3 && display.title().find("error:") != std::string::npos)
      return PreviewAction::kQuit;
    return std::nullopt;
  });
  EXPECT_EQ(session.runs(), 3);
  for (const Shown &frame : display.shown)  // none from a finalizer
    EXPECT_EQ(frame.pixels, std::vector<uint8_t>(16 * 8, 2));
  ReadGif gif;
  ASSERT_EQ(read_gif(setup_.output, gif), "");
  // The run that ended: two frames (identical, so the file may merge them).
  int shown = 0;
  for (const ReadFrame &frame : gif.frames) shown += frame.delay;
  EXPECT_EQ(shown, 2 * kroplay::gif_delay(setup_.fps));
  std::system(("ls -A '" + dir_ + "' > '" + dir_ + ".ls'").c_str());
  std::ifstream listing(dir_ + ".ls");
  std::stringstream names;
  names << listing.rdbuf();
  std::remove((dir_ + ".ls").c_str());
  EXPECT_EQ(names.str(), "live.lua\nout.gif\n");  // no temporary file left
}

// How a preview run as kroplay runs it (the session on a worker thread,
// the window's events handled by the caller) ended.
enum class Quit { kGracefully, kAbandoned, kLate, kNever };

// Runs the preview in a child process; the user presses Q once, `quit_ms`
// after the start (never if negative). The session must end within
// `within_ms` of that press (or of the start, for --quit-after): by itself
// (kGracefully), or by being abandoned after the grace period.
Quit quit_outcome(const PreviewSetup &setup, int quit_ms, int within_ms) {
  const pid_t child = fork();
  if (child == 0) {
    ScriptedDisplay window;
    std::FILE *messages = std::tmpfile();
    const Clock::time_point start = Clock::now();
    Clock::time_point pressed = start;
    bool asked = false;
    window.user = [&]() -> std::optional<PreviewAction> {
      if (asked || quit_ms < 0 || Clock::now() - start < std::chrono::milliseconds(quit_ms))
        return std::nullopt;
      asked = true;
      pressed = Clock::now();
      return PreviewAction::kQuit;
    };
    auto in_time = [&] { return Clock::now() - pressed <= std::chrono::milliseconds(within_ms); };
    ResponsiveLimits limits;
    if (setup.quit_after > 0) limits.quit_at = start + std::chrono::seconds(setup.quit_after);
    limits.abandon = [&] { _exit(in_time() ? 2 : 1); };
    run_responsive(
        window,
        [&](PreviewDisplay &display) {
          PreviewSession session(setup, display, messages, nullptr);
          session.run();
        },
        limits);
    _exit(in_time() ? 0 : 1);
  }
  for (int i = 0; i < 1000; ++i) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) {
      const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return code == 0 ? Quit::kGracefully : code == 2 ? Quit::kAbandoned : Quit::kLate;
    }
    usleep(10000);
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  return Quit::kNever;
}

TEST_F(PreviewSessionTest, QuitEndsThePreviewWhateverTheScriptDoes) {
  const struct {
    const char *script;
    Quit how;
  } cases[] = {
      // The quit error swallowed again and again.
      {"while true do pcall(function() while true do end end) end\n", Quit::kGracefully},
      // The hook removed (or replaced), in the main thread and a coroutine.
      {"pcall(debug.sethook)\npcall(debug.sethook, print, 'l')\n"
       "while true do pcall(function() while true do end end) end\n",
       Quit::kGracefully},
      {"coroutine.wrap(function()\n  pcall(debug.sethook)\n"
       "  while true do pcall(function() while true do end end) end\nend)()\n",
       Quit::kGracefully},
      {"while true do pcall(function()\n"
       "  local x <close> = setmetatable({}, {__close = function()\n"
       "    while true do pcall(function() while true do end end) end end})\n"
       "  while true do end\nend) end\n",
       Quit::kGracefully},
      // Lua runs these with hooks off: only abandoning them ends the preview.
      {"local loop = function() while true do end end\nwhile true do xpcall(loop, loop) end\n",
       Quit::kAbandoned},
      {"local mt = {}\nmt.__gc = function() setmetatable({}, mt) while true do end end\n"
       "setmetatable({}, mt)\nwhile true do collectgarbage() end\n",
       Quit::kAbandoned},
      {"setmetatable({}, {__gc = function() while true do end end})\nframe()\n", Quit::kAbandoned},
      {"local s = ('a'):rep(40)\nwhile true do s:find(('a-'):rep(30) .. 'b') end\n",
       Quit::kAbandoned},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.script);
    write_script(c.script);
    EXPECT_EQ(quit_outcome(setup_, 300, 1000), c.how);
  }
  // --quit-after alike, with no key pressed.
  write_script(cases[1].script);
  setup_.quit_after = 1;
  EXPECT_EQ(quit_outcome(setup_, -1, 2000), Quit::kGracefully);
  write_script(cases[5].script);
  EXPECT_EQ(quit_outcome(setup_, -1, 2000), Quit::kAbandoned);
}

}  // namespace
