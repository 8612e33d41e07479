// Background pictures: the first frame of a GIF, interlaced or not, at its
// offset, cut or padded to the screen, with its own or the global table.
#include "kroplay/gif/gif_loader.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

#include "support/temp_dir.h"

namespace {

struct Picture {
  int left, top, width, height;
  bool interlaced, local_table;
};

// Writes a GIF of a 6x5 screen, background colour 2, whose first frame is
// `picture` with pixel (x, y) = 7 * y + x (below 64: the table has 64
// colours), followed by a second frame.
std::string write_gif(const Picture &picture) {
  static TempDir dir;
  static int counter = 0;
  const std::string path = dir.file("picture-" + std::to_string(counter++) + ".gif");
  int error = 0;
  GifFileType *gif = EGifOpenFileName(path.c_str(), false, &error);
  EXPECT_NE(nullptr, gif);
  ColorMapObject *global = GifMakeMapObject(64, nullptr);
  ColorMapObject *local = GifMakeMapObject(64, nullptr);
  for (int i = 0; i < 64; ++i) {
    global->Colors[i] = {static_cast<GifByteType>(i), 1, 2};
    local->Colors[i] = {static_cast<GifByteType>(i), 3, 4};
  }
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, 6, 5, 8, 2, global);
  EGifPutImageDesc(gif, picture.left, picture.top, picture.width, picture.height,
                   picture.interlaced, picture.local_table ? local : nullptr);
  std::vector<int> rows;
  if (picture.interlaced) {
    for (int start : {0, 4, 2, 1})
      for (int y = start; y < picture.height; y += start == 0 ? 8 : start == 4 ? 8 : start * 2)
        rows.push_back(y);
  } else {
    for (int y = 0; y < picture.height; ++y) rows.push_back(y);
  }
  for (int y : rows) {
    std::vector<GifPixelType> line(picture.width);
    for (int x = 0; x < picture.width; ++x) line[x] = static_cast<GifPixelType>(7 * y + x);
    EGifPutLine(gif, line.data(), picture.width);
  }
  // giflib would lose its copy of the first frame's table (see gif_writer.cpp).
  GifFreeMapObject(gif->Image.ColorMap);
  gif->Image.ColorMap = nullptr;
  std::vector<GifPixelType> second(36, 63);
  EGifPutImageDesc(gif, 0, 0, 6, 5, false, nullptr);
  for (int y = 0; y < 5; ++y) EGifPutLine(gif, second.data(), 6);
  EGifCloseFile(gif, &error);
  GifFreeMapObject(global);
  GifFreeMapObject(local);
  return path;
}

TEST(GifLoader, PlacesTheFirstFrameAndCutsOrPadsToTheScreen) {
  for (bool interlaced : {false, true}) {
    SCOPED_TRACE(interlaced);
    const std::string path = write_gif({1, 2, 4, 3, interlaced, false});
    // A screen wider than the picture and shorter than it.
    const kroplay::LoadedBackground loaded = kroplay::load_gif_background(path, 7, 4);
    std::remove(path.c_str());
    std::vector<uint8_t> expected(7 * 4, 2);
    for (int y = 2; y < 4; ++y)
      for (int x = 1; x < 5; ++x) expected[y * 7 + x] = static_cast<uint8_t>(7 * (y - 2) + x - 1);
    EXPECT_EQ(expected, loaded.pixels);
    ASSERT_EQ(64u * 3, loaded.colors.size());
    EXPECT_EQ(5, loaded.colors[15]);
    EXPECT_EQ(1, loaded.colors[16]);
  }
  // Nine rows interlaced, so that every pass holds rows.
  const std::string path = write_gif({0, 0, 2, 9, true, true});
  const kroplay::LoadedBackground loaded = kroplay::load_gif_background(path, 2, 9);
  std::remove(path.c_str());
  for (int y = 0; y < 9; ++y) EXPECT_EQ(7 * y + 1, loaded.pixels[y * 2 + 1]) << y;
  EXPECT_EQ(3, loaded.colors[1]);  // the frame's own table
}

TEST(GifLoader, UnreadableFilesAreNamedWithTheReason) {
  auto message = [](const std::string &path) -> std::string {
    try {
      kroplay::load_gif_background(path, 4, 4);
    } catch (const std::runtime_error &e) {
      return e.what();
    }
    return "(loaded)";
  };
  EXPECT_EQ("cannot read '/nonexistent.gif': No such file or directory",
            message("/nonexistent.gif"));
  const TempDir dir;
  const std::string text = dir.file("text.txt");
  std::FILE *f = std::fopen(text.c_str(), "w");
  std::fputs("not a picture at all", f);
  std::fclose(f);
  EXPECT_EQ("cannot read '" + text + "': Data is not in GIF format", message(text));
  // A device is refused before any read.
#ifdef _WIN32
  const std::string device = "\\\\.\\NUL";  // by the device's own name
#else
  const std::string device = "/dev/null";
#endif
  EXPECT_EQ("cannot read '" + device + "': not a regular file", message(device));
}

TEST(GifLoader, TruncatedPicturesSayWhatIsWrong) {
  const std::string path = write_gif({0, 0, 6, 5, false, false});
  std::FILE *f = std::fopen(path.c_str(), "rb");
  std::vector<char> bytes(4096);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
  std::fclose(f);
  // Every cut before the first frame's end fails, each with giflib's reason
  // or, where giflib gives none (error code 0), a plain one.
  int plain = 0;
  for (size_t length = 6; length < bytes.size() / 2; ++length) {
    f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, length, f);
    std::fclose(f);
    std::string message = "(loaded)";
    try {
      kroplay::load_gif_background(path, 6, 5);
    } catch (const std::runtime_error &e) {
      message = e.what();
    }
    SCOPED_TRACE(length);
    EXPECT_EQ(0u, message.find("cannot read '" + path + "': ")) << message;
    EXPECT_EQ(std::string::npos, message.find("giflib error")) << message;
    plain += message.find("truncated or malformed file") != std::string::npos;
  }
  std::remove(path.c_str());
  EXPECT_GT(plain, 0);
}

}  // namespace
