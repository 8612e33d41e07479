// Where kroplay's output goes: through symbolic links, straight into
// devices, FIFOs, sockets and standard output, and never over the script.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

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
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socket_path = dir.file("socket");
  ASSERT_LT(socket_path.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socket_path.c_str(), socket_path.size() + 1);
  ASSERT_EQ(0, bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address));
  ASSERT_EQ(0, listen(listener, 1));
  std::string received;
  std::thread reader([&] {
    const int connection = accept(listener, nullptr, nullptr);
    char buffer[4096];
    for (ssize_t got; connection >= 0 && (got = read(connection, buffer, sizeof buffer)) > 0;)
      received.append(buffer, static_cast<size_t>(got));
    if (connection >= 0) close(connection);
  });
  const ProgramRun to_socket = run_kroplay(dir, "sizes.lua -o socket");
  if (to_socket.status != 0) shutdown(listener, SHUT_RDWR);  // ends the accept
  reader.join();
  close(listener);
  ASSERT_EQ(0, to_socket.status) << to_socket.err;
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
