// Where kroplay's output goes: through symbolic links (a relative one
// resolved beside itself, a loop refused), straight into devices, FIFOs,
// sockets and standard output, and never over the script; a temporary
// file rewritten at its start.
#include "kroplay/output/output_file.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "support/kroplay_runs.h"

TEST(KroplayOutput, ASymbolicLinkIsFollowedAndKept) {
  TempDir dir;
  dir.write("sizes.lua", kSizesScript);
  ASSERT_EQ(0, symlink("target.gif", dir.file("link.gif").c_str()));  // dangling at first
  ASSERT_EQ(0, run_kroplay(dir, "sizes.lua -o link.gif").status);
  ASSERT_EQ(0, run_kroplay(dir, "sizes.lua -o link.gif --frames 1").status);  // replaces the target
  struct stat info;
  ASSERT_EQ(0, lstat(dir.file("link.gif").c_str(), &info));
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(1u, read_back(dir.file("target.gif")).frames.size());
  EXPECT_EQ((std::vector<std::string>{"link.gif", "sizes.lua", "target.gif"}), dir.entries());
}

namespace {

// Where the symbolic link `path` points, or "" if it is not one.
std::string link_target(const std::string &path) {
  char target[256];
  const ssize_t length = readlink(path.c_str(), target, sizeof target);
  return length < 0 ? "" : std::string(target, static_cast<size_t>(length));
}

}  // namespace

TEST(KroplayOutput, ARelativeLinkInAnotherFolderPointsBesideItself) {
  TempDir dir;
  dir.write("sizes.lua", kSizesScript);
  dir.write("target.gif", "not the output");  // the same name in the working folder
  ASSERT_EQ(0, mkdir(dir.file("out").c_str(), 0755));
  ASSERT_EQ(0, symlink("target.gif", dir.file("out/link.gif").c_str()));
  const ProgramRun run = run_kroplay(dir, "sizes.lua -o out/link.gif");
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ(8u, read_back(dir.file("out/target.gif")).frames.size());
  EXPECT_EQ("target.gif", link_target(dir.file("out/link.gif")));
  EXPECT_EQ("not the output", slurp(dir.file("target.gif")));
}

TEST(KroplayOutput, ALoopOfLinksIsRefusedAndLeftAsItIs) {
  TempDir dir;
  dir.write("sizes.lua", kSizesScript);
  ASSERT_EQ(0, symlink("b.gif", dir.file("a.gif").c_str()));
  ASSERT_EQ(0, symlink("a.gif", dir.file("b.gif").c_str()));
  const ProgramRun run = run_kroplay(dir, "sizes.lua -o a.gif");
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("kroplay: cannot write 'a.gif': Too many levels of symbolic links\n", run.err);
  EXPECT_EQ("b.gif", link_target(dir.file("a.gif")));
  EXPECT_EQ("a.gif", link_target(dir.file("b.gif")));
  EXPECT_EQ((std::vector<std::string>{"a.gif", "b.gif", "sizes.lua"}), dir.entries());
}

TEST(KroplayOutput, DevicesFifosAndStandardOutputAreWrittenDirectly) {
  TempDir dir;
  dir.write("sizes.lua", kSizesScript);
  const ProgramRun to_stdout = shell(dir, "$K sizes.lua -o - > piped.gif");
  ASSERT_EQ(0, to_stdout.status) << to_stdout.err;
  EXPECT_EQ("kroplay: wrote standard output (8 frames, 6x5)\n", to_stdout.err);
  EXPECT_EQ(8u, read_back(dir.file("piped.gif")).frames.size());

  ASSERT_EQ(0, mkfifo(dir.file("fifo").c_str(), 0600));
  const ProgramRun fifo =
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
  const ProgramRun to_socket = shell(dir, "timeout 30 $K sizes.lua -o socket");
  ended = true;
  reader.join();
  close(listener);
  ASSERT_EQ(0, to_socket.status) << to_socket.err;
  EXPECT_NE("", received) << "kroplay did not connect";
  dir.write("from_socket.gif", received);
  EXPECT_EQ(8u, read_back(dir.file("from_socket.gif")).frames.size());

  if (geteuid() != 0) GTEST_SKIP() << "making a device node needs root";
  ASSERT_EQ(0, mknod(dir.file("null").c_str(), S_IFCHR | 0666, makedev(1, 3)));
  const ProgramRun device = run_kroplay(dir, "sizes.lua -o null");
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
    const ProgramRun run = run_kroplay(dir, "sizes.lua -o " + output);
    EXPECT_EQ(2, run.status);
    EXPECT_EQ("kroplay: -o " + output +
                  " is the script itself; choose another output (see kroplay --help)\n",
              run.err);
  }
  EXPECT_EQ(kSizesScript, slurp(dir.file("sizes.lua")));
  // The default output, the script's name with .gif, is checked too.
  dir.write("named.gif", kSizesScript);
  const ProgramRun run = run_kroplay(dir, "named.gif");
  EXPECT_EQ(2, run.status);
  EXPECT_EQ(
      "kroplay: the output named.gif would be the script itself; choose another output (see "
      "kroplay --help)\n",
      run.err);
  EXPECT_EQ(kSizesScript, slurp(dir.file("named.gif")));
}

TEST(OutputFileRewrite, BytesMovedDownAndWrittenAtTheStartMakeTheWholeFile) {
  TempDir dir;
  {
    kroplay::OutputFile file(dir.file("out.bin"), kroplay::OutputWriting::kWholeAtOnce);
    ASSERT_TRUE(file.rewritable());
    file.write("......body", 10);  // room for a header of up to six bytes
    file.move_down(6, 3);
    file.write_at(0, "GIF", 3);
    file.commit();
  }
  EXPECT_EQ("GIFbody", slurp(dir.file("out.bin")));
}
