// kroplay at the edges of its process: child processes a script starts,
// standard streams closed or closing, signals and the file size limit.
// Through the shell, as a user meets them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>

#include "support/gif_reading.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

// `command` through bash in `dir`, kroplay named $K ($P when it must be
// kroplay's own process id); a $K that does not stop is ended after 30 s.
ProgramRun shell(const TempDir &dir, const std::string &command) {
  const std::string line =
      "cd '" + dir.path() + "' || exit; P='" KROPLAY_PATH "'; K=\"timeout 30 $P\"; " + command;
  // One argument for bash, in single quotes.
  std::string argument;
  for (char c : line) argument += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return run_program("bash", "-c " + quoted_argument(argument));
}

size_t gif_frames(const std::string &path) {
  ReadGif gif;
  EXPECT_EQ("", read_gif(path, gif)) << path;
  return gif.frames.size();
}

// Whether a process whose command line holds `text` still runs.
bool running(const std::string &text) {
  return run_program("pgrep", "-f " + quoted_argument(text)).status == 0;
}

const char kTimeoutLine[] =
    "kroplay: the script ran longer than 1 s and was stopped (--timeout SECS to change, 0 for "
    "no limit)\n";

TEST(KroplayProcess, TimeoutEndsChildProcessesBlockedReadsAndLoading) {
  const struct {
    std::string what, script, command;
  } cases[] = {
      {"a child process and what it started", "frame() os.execute('sleep 27.25; true')",
       "$K s.lua --timeout 1"},
      {"a child process read through a pipe", "frame() io.popen('sleep 27.25; true'):read('a')",
       "$K s.lua --timeout 1"},
      {"a read from a pipe that stays open", "frame() io.read()",
       "$K s.lua --timeout 1 < <(sleep 5)"},
      {"the script's loading", "", "yes 'x = 1' 2>/dev/null | $K /dev/stdin --timeout 1 -o s.gif"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    dir.write("s.lua", c.script);
    const auto start = std::chrono::steady_clock::now();
    const ProgramRun run = shell(dir, c.command);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(kTimeoutLine, run.err);
    EXPECT_LT(took, std::chrono::milliseconds(3500));
    EXPECT_FALSE(running("sleep 27.25"));
    EXPECT_EQ(std::vector<std::string>{"s.lua"}, dir.entries());
  }
}

TEST(KroplayProcess, AClosedStdoutIsNeverTheOutputAndIsBlamedAlone) {
  TempDir dir;
  // Busy long enough for a reader to be gone before it prints.
  dir.write("talks.lua",
            "local t = os.time() while os.time() - t < 1 do end\n"
            "screen(2, 2) frame() print('printed') io.write('written')\n");
  const struct {
    std::string what, command, lost;
  } cases[] = {
      {"closed at start", "$K talks.lua -o out.gif >&-", "the script's printed text"},
      {"closed at start, with --hash", "$K talks.lua --hash -o out.gif >&-", "the frame hashes"},
      {"a reader gone early", "$K talks.lua -o out.gif | true; exit ${PIPESTATUS[0]}",
       "the script's printed text"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    const ProgramRun run = shell(dir, c.command);
    EXPECT_EQ(1, run.status);
    const std::string end = "kroplay: wrote out.gif (1 frame, 2x2)\nkroplay: cannot write " +
                            c.lost + " to standard output (closed early?)\n";
    EXPECT_EQ(end, run.err.substr(run.err.size() - std::min(run.err.size(), end.size())));
    EXPECT_EQ(1u, gif_frames(dir.file("out.gif")));
    std::remove(dir.file("out.gif").c_str());
  }
  const ProgramRun closed_err = shell(dir, "$K talks.lua -o quiet.gif 2>&-");
  EXPECT_EQ(0, closed_err.status);
  EXPECT_EQ("printed\nwritten", closed_err.out);
  EXPECT_EQ(1u, gif_frames(dir.file("quiet.gif")));
}

TEST(KroplayProcess, ChildProcessesKeepOffAStdoutThatCarriesData) {
  TempDir dir;
  dir.write("children.lua",
            "screen(2, 2) frame()\nos.execute('echo executed')\n"
            "local pipe = io.popen('cat', 'w') pipe:write('piped\\n') pipe:close()\n"
            "print(io.popen('echo read'):read('l'))\n");
  const ProgramRun gif = shell(dir, "$K children.lua -o - > out.gif");
  EXPECT_EQ(0, gif.status) << gif.err;
  EXPECT_EQ("executed\npiped\nread\nkroplay: wrote standard output (1 frame, 2x2)\n", gif.err);
  EXPECT_EQ(1u, gif_frames(dir.file("out.gif")));
  const ProgramRun hashes = shell(dir, "$K children.lua --hash -o out.gif");
  EXPECT_EQ(0, hashes.status) << hashes.err;
  EXPECT_EQ(0u, hashes.out.find("frame 0 ")) << hashes.out;
  EXPECT_EQ(25u, hashes.out.size()) << hashes.out;
  EXPECT_EQ(0u, hashes.err.find("executed\npiped\nread\n")) << hashes.err;
}

TEST(KroplayProcess, EverySignalThatEndsARunRemovesItsOutput) {
  TempDir dir;
  // Its line on stderr comes after the output is opened and the handlers
  // are in place; the signal waits for it (at most ten seconds). The shell's
  // own notes go nowhere.
  dir.write("endless.lua", "io.stderr:write('running\\n') while true do frame() end\n");
  for (int signal :
       {SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGTERM, SIGXCPU, SIGVTALRM, SIGPROF}) {
    SCOPED_TRACE(signal);
    const ProgramRun run =
        shell(dir,
              "exec 3>&2 2>/dev/null; $P endless.lua --max-frames 0 --timeout 20 2>err 3>&- & "
              "for i in {1..1000}; do grep -q running err && break; sleep 0.01; done; kill -" +
                  std::to_string(signal) + " $!; wait $!; s=$?; cat err >&3; rm err; exit $s");
    EXPECT_EQ(128 + signal, run.status);
    EXPECT_EQ(0u, run.err.find("running\nkroplay: interrupted at frame ")) << run.err;
    EXPECT_EQ(std::vector<std::string>{"endless.lua"}, dir.entries());
  }
  // A reader of standard output that leaves early: the scratch file in
  // TMPDIR goes too. Noise: far more GIF than a pipe holds.
  dir.write("big.lua",
            "screen(256, 256) local n = 1\n"
            "for f = 1, 4 do\n"
            "  for i = 0, 65535 do n = n * 75 % 65537 rect(i % 256, i // 256, 1, 1, n % 256) end\n"
            "  frame()\n"
            "end\n");
  const ProgramRun piped =
      shell(dir,
            "mkdir scratch; TMPDIR=$PWD/scratch $K big.lua -o - | head -c 10 >/dev/null; "
            "s=${PIPESTATUS[0]}; rmdir scratch && exit $s");
  EXPECT_EQ(128 + SIGPIPE, piped.status) << piped.err;
  EXPECT_EQ((std::vector<std::string>{"big.lua", "endless.lua"}), dir.entries());
  std::remove(dir.file("big.lua").c_str());
  // Frames that differ, so that the file grows past the limit.
  dir.write("endless.lua", "screen(64, 64) for i = 1, 1e9 do FILL(i % 7) frame() end\n");
  const ProgramRun run = shell(dir, "ulimit -f 20; $K endless.lua --max-frames 0");
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("kroplay: the file size limit was reached; nothing written\n", run.err);
  EXPECT_EQ(std::vector<std::string>{"endless.lua"}, dir.entries());
}

// A signal the moment the scratch file appears, before kroplay may have
// noted it for removal: the file still goes. The window is a few system
// calls wide, so the run is started fifty times and signalled as soon as
// the folder says the file was made.
TEST(KroplayProcess, ASignalAsTheScratchFileAppearsStillRemovesIt) {
  TempDir dir;
  dir.write("endless.lua", "while true do frame() end\n");
  const std::string script = dir.file("endless.lua"), out = dir.file("out.gif");
  for (int run = 0; run < 50; ++run) {
    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_LE(0, inotify_add_watch(watch, dir.path().c_str(), IN_CREATE));
    const pid_t child = fork();
    if (child == 0) {
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 2);
      execl(KROPLAY_PATH, KROPLAY_PATH, script.c_str(), "-o", out.c_str(), "--max-frames", "0",
            "--timeout", "20", static_cast<char *>(nullptr));
      _exit(127);
    }
    pollfd made = {watch, POLLIN, 0};
    const bool created = poll(&made, 1, 10000) == 1;
    kill(child, SIGUSR1);
    int status = 0;
    waitpid(child, &status, 0);
    close(watch);
    ASSERT_TRUE(created);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    ASSERT_EQ(std::vector<std::string>{"endless.lua"}, dir.entries()) << "run " << run;
  }
}

}  // namespace
