// Saving a watched file is reported once, after it settles, however the
// editor writes it.
#include "kroplay/preview/file_watcher.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

namespace {

using kroplay::FileWatcher;
using std::chrono::milliseconds;

class FileWatcherTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = temp_.path();
    path_ = temp_.file("script.lua");
    write(path_, "frame()\n");
  }

  static void write(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  // Checks at `t0` plus `ms`; every check here is one interval apart.
  bool at(FileWatcher &watcher, int ms) { return watcher.changed(t0_ + milliseconds(ms)); }

  TempDir temp_;
  std::string dir_, path_;
  FileWatcher::Clock::time_point t0_ = FileWatcher::Clock::now();
};

TEST_F(FileWatcherTest, ReportsASaveOnceAfterItSettles) {
  FileWatcher watcher(path_, milliseconds(100));
  EXPECT_FALSE(at(watcher, 100));
  write(path_, "frame(2)\n");
  EXPECT_FALSE(at(watcher, 150)) << "checked again before the interval passed";
  EXPECT_FALSE(at(watcher, 200)) << "reported before the file settled";
  EXPECT_TRUE(at(watcher, 300));
  EXPECT_FALSE(at(watcher, 400));
  EXPECT_FALSE(at(watcher, 500));
}

TEST_F(FileWatcherTest, SeesANewFileRenamedOverTheOldAndAFileThatGoesAndComesBack) {
  FileWatcher watcher(path_, milliseconds(100));
  EXPECT_FALSE(at(watcher, 100));
  // Same size, new inode: what editors that save through a temporary do.
  write(dir_ + "/new.lua", "frame(3)\n");
  std::filesystem::rename(dir_ + "/new.lua", path_);
  EXPECT_FALSE(at(watcher, 200));
  EXPECT_TRUE(at(watcher, 300));

  ASSERT_TRUE(std::filesystem::remove(path_));
  EXPECT_FALSE(at(watcher, 400));
  EXPECT_TRUE(at(watcher, 500)) << "a removed file is a change too";
  write(path_, "frame(4)\n");
  EXPECT_FALSE(at(watcher, 600));
  EXPECT_TRUE(at(watcher, 700));
}

TEST_F(FileWatcherTest, AWriteWhileSettlingPostponesTheReport) {
  FileWatcher watcher(path_, milliseconds(100));
  write(path_, "frame(");
  EXPECT_FALSE(at(watcher, 100));
  write(path_, "frame(10)\n");
  EXPECT_FALSE(at(watcher, 200));
  EXPECT_TRUE(at(watcher, 300));
}

}  // namespace
