// The tracing shim and kroplay --replay end to end: the shim changes
// nothing a host sees, a session recorded through it replays with every
// frame equal, on either platform, and a damaged trace or a plug-in that
// drifts is named.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

const std::string kShim = WAVEFX_TRACE_SHIM_PATH;
const std::string kSession = TRACE_SCRIPTS_DIR "/session.lua";

void set_environment(const char *name, const std::string &value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

std::string slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void spill(const std::string &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

ProgramRun kroplay(const std::string &arguments) {
  return run_program(KROPLAY_PATH, arguments);
}

std::string plugin_option(const std::string &path) {
  return "--plugin " + quoted_argument(path);
}

std::string broken(const std::string &variant) {
  return BROKEN_PLUGIN_DIR "/" + variant + MODULE_SUFFIX;
}

// Every kroplay run below that loads the shim traces into `trace`.
class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    set_environment("WAVEFX_TRACE_PLUGIN", WAVEFX_MODULE_PATH);
    set_environment("WAVEFX_TRACE_FILE", trace);
  }
  // The session recorded through the shim; its --hash lines.
  std::string record(const std::string &script = kSession) {
    const ProgramRun run =
        kroplay(plugin_option(kShim) + " --hash -o " + quoted_argument(dir.file("recorded.gif")) +
                " " + quoted_argument(script));
    EXPECT_EQ(0, run.status) << run.err;
    return run.out;
  }
  ProgramRun replay(const std::string &more = "", const std::string &file = "") {
    return kroplay("--replay " + quoted_argument(file.empty() ? trace : file) + " -o " +
                   quoted_argument(output) + " " + more);
  }
  TempDir dir;
  std::string trace = dir.file("session.krotrace");
  std::string output = dir.file("replayed.gif");
};

TEST_F(TraceTest, KroplayCheckPassesThroughTheShimAsDirectly) {
  const ProgramRun direct = kroplay("--check");
  const ProgramRun shimmed = kroplay("--check " + plugin_option(kShim));
  EXPECT_EQ(0, shimmed.status) << shimmed.out << shimmed.err;
  // The first line names the library loaded.
  const auto checks = [](const std::string &out) { return out.substr(out.find('\n')); };
  EXPECT_EQ(checks(direct.out), checks(shimmed.out));
}

TEST_F(TraceTest, ARecordedSessionReplaysWithTheSameFramesAndPalettes) {
  const std::string recorded = record();
  const ProgramRun run = replay("--hash");
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(recorded, run.out);
}

// Both recorded from session.lua, one by the Linux library, one by the
// Windows one under Wine; the platforms' frames are the same.
TEST_F(TraceTest, TracesOfBothPlatformsReplayWithEveryFrameEqual) {
  for (const char *file :
       {TRACE_DATA_DIR "/session-linux.krotrace", TRACE_DATA_DIR "/session-win32.krotrace"}) {
    const ProgramRun run = replay("", file);
    EXPECT_EQ(0, run.status) << file << ": " << run.err;
  }
}

TEST_F(TraceTest, ADamagedTraceIsRefusedInOneLineWithNothingWritten) {
  record();
  const std::string whole = slurp(trace);
  ASSERT_GT(whole.size(), 100u);
  std::string cut = whole.substr(0, whole.size() - 3);
  std::string bad_tag = whole;
  bad_tag[12] = 99;  // the first record's tag
  for (const std::string &damaged : {cut, bad_tag}) {
    spill(trace, damaged);
    const ProgramRun run = replay();
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.err.find("damaged at byte")) << run.err;
    EXPECT_EQ(1, std::count(run.err.begin(), run.err.end(), '\n')) << run.err;
    EXPECT_EQ("", slurp(output));
  }
}

TEST_F(TraceTest, AnUnwritableTraceIsSaidOnceAndTheGameGoesOn) {
  const std::string direct = kroplay("--hash -o " + quoted_argument(dir.file("direct.gif")) + " " +
                                     quoted_argument(kSession))
                                 .out;
  set_environment("WAVEFX_TRACE_FILE", dir.file("no-such-folder/session.krotrace"));
  const ProgramRun run =
      kroplay(plugin_option(kShim) + " --hash -o " + quoted_argument(dir.file("recorded.gif")) +
              " " + quoted_argument(kSession));
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(direct, run.out);
  const size_t said = run.err.find("wavefx-trace: cannot write");
  ASSERT_NE(std::string::npos, said) << run.err;
  EXPECT_EQ(std::string::npos, run.err.find("wavefx-trace", said + 1)) << run.err;
}

// The frame where a plug-in with a fault first composes another frame than
// ours, found by comparing the two plug-ins' --hash lines.
int64_t first_difference(const std::string &ours, const std::string &theirs) {
  std::istringstream a(ours), b(theirs);
  std::string line_a, line_b;
  for (int64_t frame = 0; std::getline(a, line_a) && std::getline(b, line_b); ++frame)
    if (line_a != line_b) return frame;
  return -1;
}

TEST_F(TraceTest, ADriftingPluginIsNamedAtItsFirstDifferingFrame) {
  const std::string ours = record();
  const std::string drifting = broken("wave_distort_fill");
  const ProgramRun direct =
      kroplay(plugin_option(drifting) + " --hash -o " + quoted_argument(dir.file("direct.gif")) +
              " " + quoted_argument(kSession));
  const int64_t first = first_difference(ours, direct.out);
  ASSERT_GE(first, 0);
  const ProgramRun run = replay(plugin_option(drifting));
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos,
            run.err.find("frame " + std::to_string(first) + " differs from the trace"))
      << run.err;
  EXPECT_NE(std::string::npos, run.err.find("the last call before it: ")) << run.err;
  EXPECT_EQ("", slurp(output));

  const ProgramRun on = replay(plugin_option(drifting) + " --keep-going");
  EXPECT_EQ(1, on.status);
  EXPECT_NE("", slurp(output));
  EXPECT_NE(std::string::npos, on.err.find("the first is frame " + std::to_string(first)))
      << on.err;
}

}  // namespace
