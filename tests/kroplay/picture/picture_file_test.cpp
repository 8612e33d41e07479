// Pictures: the first frame of a GIF, interlaced or not, at its offset, cut
// or padded to the screen, with its own or the global table; indexed PNGs
// of every bit depth with their transparent and background entries; the
// PNGs and files refused, with what to do.
#include "kroplay/picture/picture_file.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

#include "support/png_writing.h"
#include "support/temp_dir.h"

namespace {

struct GifPicture {
  int left, top, width, height;
  bool interlaced, local_table;
};

// Writes a GIF of a 6x5 screen, background colour 2, whose first frame is
// `picture` with pixel (x, y) = 7 * y + x (below 64: the table has 64
// colours), followed by a second frame.
std::string write_gif(const GifPicture &picture) {
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

TEST(PictureFile, PlacesTheFirstFrameAndCutsOrPadsToTheScreen) {
  for (bool interlaced : {false, true}) {
    SCOPED_TRACE(interlaced);
    const std::string path = write_gif({1, 2, 4, 3, interlaced, false});
    // A screen wider than the picture and shorter than it.
    const kroplay::LoadedBackground loaded = kroplay::load_background_picture(path, 7, 4);
    std::remove(path.c_str());
    std::vector<uint8_t> expected(7 * 4, 2);
    for (int y = 2; y < 4; ++y)
      for (int x = 1; x < 5; ++x) expected[y * 7 + x] = static_cast<uint8_t>(7 * (y - 2) + x - 1);
    EXPECT_EQ(expected, loaded.pixels);
    ASSERT_EQ(64u * 3, loaded.colours.size());
    EXPECT_EQ(5, loaded.colours[15]);
    EXPECT_EQ(1, loaded.colours[16]);
  }
  // Nine rows interlaced, so that every pass holds rows.
  const std::string path = write_gif({0, 0, 2, 9, true, true});
  const kroplay::LoadedBackground loaded = kroplay::load_background_picture(path, 2, 9);
  std::remove(path.c_str());
  for (int y = 0; y < 9; ++y) EXPECT_EQ(7 * y + 1, loaded.pixels[y * 2 + 1]) << y;
  EXPECT_EQ(3, loaded.colours[1]);  // the frame's own table
}

TEST(PictureFile, UnreadableFilesAreNamedWithTheReason) {
  auto message = [](const std::string &path) -> std::string {
    try {
      kroplay::load_background_picture(path, 4, 4);
    } catch (const std::runtime_error &e) {
      return e.what();
    }
    return "(loaded)";
  };
  // Where it was looked for, on Windows with the drive.
  EXPECT_EQ(0u, message("/nonexistent.gif")
                    .find("cannot read '/nonexistent.gif': No such file or directory"));
  const TempDir dir;
  const std::string text = dir.file("text.txt");
  std::FILE *f = std::fopen(text.c_str(), "w");
  std::fputs("not a picture at all", f);
  std::fclose(f);
  EXPECT_EQ("cannot read '" + text + "': it is neither a GIF nor a PNG picture", message(text));
  // A device is refused before any read.
#ifdef _WIN32
  const std::string device = "\\\\.\\NUL";  // by the device's own name
#else
  const std::string device = "/dev/null";
#endif
  EXPECT_EQ("cannot read '" + device + "': not a regular file", message(device));
}

TEST(PictureFile, TruncatedPicturesSayWhatIsWrong) {
  const std::string path = write_gif({0, 0, 6, 5, false, false});
  std::FILE *f = std::fopen(path.c_str(), "rb");
  std::vector<char> bytes(4096);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
  std::fclose(f);
  // Every cut before the first frame's end fails, each with giflib's reason
  // or, where giflib gives none (error code 0), a plain one; from the first
  // frame's end on, the picture loads.
  int plain = 0;
  for (size_t length = 6; length < bytes.size(); ++length) {
    f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, length, f);
    std::fclose(f);
    std::string message = "(loaded)";
    try {
      kroplay::load_background_picture(path, 6, 5);
    } catch (const std::runtime_error &e) {
      message = e.what();
    }
    if (message == "(loaded)" && length > bytes.size() / 2) break;
    SCOPED_TRACE(length);
    EXPECT_EQ(0u, message.find("cannot read '" + path + "': ")) << message;
    EXPECT_EQ(std::string::npos, message.find("giflib error")) << message;
    plain += message.find("truncated or malformed file") != std::string::npos;
  }
  std::remove(path.c_str());
  EXPECT_GT(plain, 0);
}

TEST(PictureFile, AGifPictureIsItsFirstFrameWithItsTransparentIndex) {
  const TempDir dir;
  const std::string path = dir.file("sprite.gif");
  int error = 0;
  GifFileType *gif = EGifOpenFileName(path.c_str(), false, &error);
  ASSERT_NE(nullptr, gif);
  ColorMapObject *map = GifMakeMapObject(4, nullptr);
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, 5, 5, 2, 0, map);
  // Transparent colour 3, in the graphics control block before the frame.
  const GifByteType control[] = {0x01, 0, 0, 3};
  EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
  EGifPutImageDesc(gif, 1, 2, 2, 1, false, nullptr);
  GifPixelType line[] = {3, 1};
  EGifPutLine(gif, line, 2);
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  const kroplay::Picture picture = kroplay::read_picture(path);
  EXPECT_EQ(2, picture.width);
  EXPECT_EQ(1, picture.height);
  EXPECT_EQ((std::vector<uint8_t>{3, 1}), picture.pixels);
  EXPECT_EQ(3, picture.transparent);
}

TEST(PictureFile, IndexedPngsOfEveryDepthGiveTheirIndicesColoursAndTransparency) {
  const TempDir dir;
  for (int depth : {1, 2, 4, 8})
    for (bool interlaced : {false, true}) {
      SCOPED_TRACE(std::to_string(depth) + (interlaced ? " interlaced" : ""));
      PngToWrite png;
      png.width = 5;
      png.height = 3;
      png.bit_depth = depth;
      png.interlaced = interlaced;
      const int colours = 1 << depth;
      for (int i = 0; i < 15; ++i) png.pixels.push_back(static_cast<uint8_t>(i % colours));
      for (int i = 0; i < colours * 3; ++i) png.palette.push_back(static_cast<uint8_t>(i + 1));
      png.alphas = {255, 0};  // entry 1 is the first fully transparent one
      png.background = 1;
      ASSERT_EQ("", write_png(dir.file("p.png"), png));
      const kroplay::Picture picture = kroplay::read_picture("p.png", dir.path());
      EXPECT_EQ(5, picture.width);
      EXPECT_EQ(3, picture.height);
      EXPECT_EQ(png.pixels, picture.pixels);
      EXPECT_EQ(png.palette, picture.colours);
      EXPECT_EQ(1, picture.transparent);
      // As a background: at the top left, padded with the bKGD entry.
      const kroplay::LoadedBackground loaded =
          kroplay::load_background_picture(dir.file("p.png"), 6, 2);
      std::vector<uint8_t> expected;
      for (int i : {0, 1, 2, 3, 4, -1, 5, 6, 7, 8, 9, -1})
        expected.push_back(static_cast<uint8_t>(i < 0 ? 1 : i % colours));
      EXPECT_EQ(expected, loaded.pixels);
    }
  // Partly transparent entries only: no colour is left undrawn.
  PngToWrite opaque;
  opaque.width = 2;
  opaque.height = 1;
  opaque.pixels = {0, 1};
  opaque.palette = {1, 2, 3, 4, 5, 6};
  opaque.alphas = {255, 128};
  ASSERT_EQ("", write_png(dir.file("opaque.png"), opaque));
  EXPECT_EQ(-1, kroplay::read_picture("opaque.png", dir.path()).transparent);
}

TEST(PictureFile, OtherPngsAndMissingFilesSayWhatToDo) {
  const TempDir dir;
  PngToWrite rgb;
  rgb.width = rgb.height = 1;
  rgb.colour_type = 2;  // PNG_COLOR_TYPE_RGB
  rgb.pixels = {1, 2, 3};
  ASSERT_EQ("", write_png(dir.file("rgb.png"), rgb));
  std::string message;
  try {
    kroplay::read_picture("rgb.png", dir.path());
  } catch (const std::runtime_error &e) {
    message = e.what();
  }
  EXPECT_EQ(
      "cannot read 'rgb.png': it is an RGB PNG; save it with a palette (indexed colour, at "
      "most 256 colours)",
      message);
  // A relative path names where it was looked for.
  try {
    kroplay::read_picture("gone.png", dir.path());
  } catch (const std::runtime_error &e) {
    message = e.what();
  }
  const std::string looked_for = "cannot read 'gone.png': No such file or directory (looked for '";
  EXPECT_EQ(0u, message.find(looked_for)) << message;
  // The full path, ending in the test's folder and the name (on Windows
  // with the drive and '\\' between the folders).
  const std::string folder = dir.path().substr(dir.path().find_last_of("/\\") + 1);
  EXPECT_NE(std::string::npos, message.find(folder)) << message;
  EXPECT_EQ(message.size() - 10, message.rfind("gone.png')")) << message;
}

}  // namespace
