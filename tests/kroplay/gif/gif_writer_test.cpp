// The GIF writer, the changed-rectangle search and the frame hash, read back
// through giflib.
#include "kroplay/gif/gif_writer.h"

#include <dirent.h>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "kroplay/gif/frame_diff.h"
#include "kroplay/gif/gif_lzw.h"
#include "kroplay/record/frame_hash.h"
#include "support/gif_reading.h"
#include "support/temp_dir.h"

using kroplay::GifWriter;
using kroplay::OutputError;
using kroplay::Palette;
using kroplay::Rect;

namespace {

Palette test_palette(int seed) {
  Palette p;
  for (size_t i = 0; i < p.size(); ++i) p[i] = static_cast<uint8_t>(i * 7 + seed * 31);
  return p;
}

std::vector<uint8_t> random_pixels(size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> pixels(n);
  for (auto &p : pixels) p = static_cast<uint8_t>(random());
  return pixels;
}

TEST(ChangedRect, BoundsEveryDifference) {
  const int w = 7, h = 5;
  std::vector<uint8_t> a(w * h, 3), b = a;
  EXPECT_TRUE(kroplay::changed_rect(a.data(), b.data(), w, h).empty());
  b[2 * w + 4] = 9;
  Rect r = kroplay::changed_rect(a.data(), b.data(), w, h);
  EXPECT_EQ(4, r.left);
  EXPECT_EQ(2, r.top);
  EXPECT_EQ(1, r.width);
  EXPECT_EQ(1, r.height);
  b[1 * w + 6] = 9;  // right edge, higher row
  b[4 * w + 0] = 9;  // left edge, last row
  r = kroplay::changed_rect(a.data(), b.data(), w, h);
  EXPECT_EQ(0, r.left);
  EXPECT_EQ(1, r.top);
  EXPECT_EQ(7, r.width);
  EXPECT_EQ(4, r.height);
  // A single column screen.
  std::vector<uint8_t> c(4, 0), d = c;
  d[3] = 1;
  r = kroplay::changed_rect(c.data(), d.data(), 1, 4);
  EXPECT_EQ(3, r.top);
  EXPECT_EQ(1, r.height);
}

TEST(ChangedRect, MatchesABruteForceSearch) {
  std::mt19937 random(5);
  for (int round = 0; round < 300; ++round) {
    const int w = 1 + random() % 20, h = 1 + random() % 20;
    std::vector<uint8_t> a = random_pixels(w * h, round), b = a;
    const int changes = random() % 4;
    for (int i = 0; i < changes; ++i) b[random() % (w * h)] ^= 1 + random() % 255;
    int left = w, right = -1, top = h, bottom = -1;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (a[y * w + x] != b[y * w + x]) {
          left = std::min(left, x), right = std::max(right, x);
          top = std::min(top, y), bottom = std::max(bottom, y);
        }
    const Rect r = kroplay::changed_rect(a.data(), b.data(), w, h);
    if (right < 0) {
      EXPECT_TRUE(r.empty());
      continue;
    }
    EXPECT_EQ(left, r.left);
    EXPECT_EQ(top, r.top);
    EXPECT_EQ(right - left + 1, r.width);
    EXPECT_EQ(bottom - top + 1, r.height);
  }
}

// FNV-1a 64, written out independently of the player's.
uint64_t fnv1a(const std::vector<uint8_t> &bytes) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
  return hash;
}

TEST(FrameHash, IsFnv1aOverIndicesThenPalette) {
  // Published FNV-1a 64 values.
  EXPECT_EQ(0xaf63dc4c8601ec8cull, fnv1a({'a'}));
  EXPECT_EQ(0x85944171f73967e8ull, fnv1a({'f', 'o', 'o', 'b', 'a', 'r'}));
  const Palette palette = test_palette(2);
  const std::vector<uint8_t> pixels = random_pixels(60, 1);
  std::vector<uint8_t> all = pixels;
  all.insert(all.end(), palette.begin(), palette.end());
  EXPECT_EQ(fnv1a(all), kroplay::frame_hash(pixels.data(), pixels.size(), palette));
  // One index or one palette byte changes it.
  std::vector<uint8_t> other = pixels;
  other[59] ^= 1;
  EXPECT_NE(kroplay::frame_hash(pixels.data(), 60, palette),
            kroplay::frame_hash(other.data(), 60, palette));
  Palette other_palette = palette;
  other_palette[767] ^= 1;
  EXPECT_NE(kroplay::frame_hash(pixels.data(), 60, palette),
            kroplay::frame_hash(pixels.data(), 60, other_palette));
}

struct Frame {
  std::vector<uint8_t> pixels;
  int width, height;
  Palette palette;
};

// Writes `frames`, `delay` hundredths apart, reads the file back into `read`
// and compares what it shows at every hundredth with the frames: empty when
// they agree.
std::string round_trip(const TempDir &dir, const std::vector<Frame> &frames, int delay,
                       ReadGif &read) {
  {
    GifWriter gif(dir.file("out.gif"), delay);
    for (const Frame &f : frames) gif.add_frame(f.pixels.data(), f.width, f.height, f.palette);
    EXPECT_EQ(static_cast<int64_t>(frames.size()), gif.frame_count());
    gif.finish();
  }
  const std::string problem = read_gif(dir.file("out.gif"), read);
  if (!problem.empty()) return problem;
  std::vector<ShownFrame> shown;
  for (const Frame &f : frames) shown.push_back({&f.pixels, f.width, f.height, &f.palette});
  return compare_playback(read, shown, delay);
}

TEST(GifWriter, WritesSizeLoopDelayAndPixels) {
  TempDir dir;
  const int w = 13, h = 9;
  std::vector<Frame> frames;
  for (uint32_t i = 0; i < 4; ++i)
    frames.push_back({random_pixels(w * h, i), w, h, test_palette(1)});
  ReadGif read;
  ASSERT_EQ("", round_trip(dir, frames, 7, read));
  EXPECT_EQ(std::vector<std::string>{"out.gif"}, dir.entries());
  EXPECT_EQ("GIF89a", read.version);
  EXPECT_EQ(w, read.width);
  EXPECT_EQ(h, read.height);
  EXPECT_TRUE(read.loops_forever);
  ASSERT_EQ(4u, read.frames.size());
  for (const ReadFrame &f : read.frames) {
    EXPECT_EQ(7, f.delay);
    EXPECT_FALSE(f.own_colour_table);
    EXPECT_EQ(1, f.disposal);  // keep what is shown
  }
  struct stat info;
  ASSERT_EQ(0, stat(dir.file("out.gif").c_str(), &info));
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(0666 & ~mask, info.st_mode & 0777);  // not the temporary file's private mode
}

TEST(GifWriter, EncodesTheChangedRectangleWithUnchangedPixelsTransparent) {
  TempDir dir;
  const int w = 40, h = 30;
  std::vector<uint8_t> a = random_pixels(w * h, 9), b = a;
  b[5 * w + 10] ^= 0x55;
  b[16 * w + 20] ^= 0x55;
  const Palette palette = test_palette(3);
  ReadGif read;
  ASSERT_EQ("",
            round_trip(dir, {{a, w, h, palette}, {b, w, h, palette}, {a, w, h, palette}}, 2, read));
  ASSERT_EQ(3u, read.frames.size());
  EXPECT_EQ(w * h, read.frames[0].width * read.frames[0].height);
  EXPECT_EQ(-1, read.frames[0].transparent);  // nothing below the first frame
  for (int i : {1, 2}) {
    const ReadFrame &f = read.frames[i];
    EXPECT_EQ(10, f.left);
    EXPECT_EQ(5, f.top);
    EXPECT_EQ(11, f.width);
    EXPECT_EQ(12, f.height);
    // The long run between the two changed pixels is left showing.
    EXPECT_GE(f.transparent, 0);
    EXPECT_GE(f.transparent_pixels, 11 * 12 - 2 - 20);
  }
}

TEST(GifWriter, FewColoursGetShortCodes) {
  TempDir dir;
  const int w = 64, h = 48;
  std::vector<uint8_t> pixels(w * h, 200);
  for (int x = 0; x < w; x += 8) pixels[7 * w + x] = 17;
  std::vector<uint8_t> more = pixels;
  for (int x = 0; x < w; ++x) more[20 * w + x] = static_cast<uint8_t>(x % 2 ? 99 : 17);
  const Palette palette = test_palette(5);
  ReadGif read;
  ASSERT_EQ("", round_trip(dir, {{pixels, w, h, palette}, {more, w, h, palette}}, 2, read));
  ASSERT_EQ(2u, read.frames.size());
  // Two colours, then those two and a third plus "unchanged": entries 0..3,
  // and a global table of just those.
  EXPECT_EQ(4, read.global_colours);
  EXPECT_EQ(2, read.frames[0].code_size);
  EXPECT_EQ(2, read.frames[1].code_size);
  EXPECT_FALSE(read.frames[1].own_colour_table);
}

TEST(GifWriter, ARectangleUsingEveryColourIsWrittenOpaque) {
  TempDir dir;
  const int w = 32, h = 32;
  Palette palette;
  for (int i = 0; i < 256; ++i)  // 256 different colours
    palette[3 * i] = static_cast<uint8_t>(i), palette[3 * i + 1] = 7, palette[3 * i + 2] = 9;
  std::vector<uint8_t> a(w * h), b;
  for (int i = 0; i < w * h; ++i) a[i] = static_cast<uint8_t>(i * 7);
  b = a;
  // Every other pixel changes, to each of the 256 colours in turn; the
  // others stay, so "unchanged" would need an index no pixel uses.
  for (int i = 0; i < w * h; i += 2) b[i] = static_cast<uint8_t>(a[i] + 1 + i / 2 % 255);
  ReadGif read;
  ASSERT_EQ("", round_trip(dir, {{a, w, h, palette}, {b, w, h, palette}}, 3, read));
  ASSERT_EQ(2u, read.frames.size());
  EXPECT_EQ(-1, read.frames[1].transparent);
  EXPECT_EQ(8, read.frames[1].code_size);
}

TEST(GifWriter, PaletteChangesShowTheirColours) {
  TempDir dir;
  const int w = 8, h = 6;
  const std::vector<uint8_t> x = random_pixels(w * h, 4);
  std::vector<uint8_t> y = x;
  y[10] ^= 3;
  Palette first = test_palette(1), second = first;
  for (int i = 0; i < 40; ++i) second[3 * (i * 5)] ^= 0x80;  // some entries change
  ReadGif read;
  ASSERT_EQ("", round_trip(dir,
                           {{x, w, h, first},
                            {x, w, h, second},
                            {y, w, h, second},
                            {y, w, h, first},
                            {y, w, h, first}},
                           2, read));
  EXPECT_EQ(4u, read.frames.size());  // the last shows the same as the one before
}

TEST(GifWriter, ColoursBeyondTheGlobalTableTravelInALocalOne) {
  TempDir dir;
  const int w = 16, h = 16;
  std::vector<uint8_t> all(w * h);
  for (int i = 0; i < w * h; ++i) all[i] = static_cast<uint8_t>(i);
  Palette first, second;
  for (int i = 0; i < 256; ++i)
    for (int c = 0; c < 3; ++c) {
      first[3 * i + c] = static_cast<uint8_t>(c == 0 ? i : 0);
      second[3 * i + c] = static_cast<uint8_t>(c == 1 ? i : 1);
    }
  std::vector<uint8_t> few = all;
  for (int i = 0; i < 40; ++i) few[i] = 3;
  ReadGif read;
  ASSERT_EQ(
      "", round_trip(dir, {{all, w, h, first}, {all, w, h, second}, {few, w, h, second}}, 2, read));
  ASSERT_EQ(3u, read.frames.size());
  EXPECT_FALSE(read.frames[0].own_colour_table);
  EXPECT_TRUE(read.frames[1].own_colour_table);
  // One new colour and "unchanged": a table of two, short codes.
  EXPECT_TRUE(read.frames[2].own_colour_table);
  EXPECT_EQ(2, read.frames[2].code_size);
}

TEST(GifWriter, FramesOfANewSizeAreWrittenWholeOnTheLargestScreen) {
  TempDir dir;
  const Palette palette = test_palette(4);
  const std::vector<uint8_t> a = random_pixels(4 * 4, 1), b = random_pixels(6 * 3, 2),
                             c = random_pixels(2 * 8, 3);
  // The same width, taller, its top the frame before: a new size all the same.
  std::vector<uint8_t> d = c;
  d.resize(2 * 12, 5);
  ReadGif read;
  ASSERT_EQ("", round_trip(dir,
                           {{a, 4, 4, palette},
                            {b, 6, 3, palette},
                            {b, 6, 3, palette},
                            {c, 2, 8, palette},
                            {d, 2, 12, palette}},
                           2, read));
  EXPECT_EQ(6, read.width);
  EXPECT_EQ(12, read.height);
  ASSERT_EQ(4u, read.frames.size());
  const std::pair<int, int> sizes[] = {{4, 4}, {6, 3}, {2, 8}, {2, 12}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(0, read.frames[i].left + read.frames[i].top);
    EXPECT_EQ(sizes[i].first, read.frames[i].width);
    EXPECT_EQ(sizes[i].second, read.frames[i].height);
  }
}

TEST(GifWriter, EqualFramesBecomeOneShownLonger) {
  TempDir dir;
  const int w = 5, h = 4;
  const Palette palette = test_palette(6);
  const std::vector<uint8_t> a = random_pixels(w * h, 1), b = random_pixels(w * h, 2),
                             c = random_pixels(w * h, 3), d = random_pixels(w * h, 4);
  ReadGif read;
  ASSERT_EQ("", round_trip(dir,
                           {{a, w, h, palette},
                            {a, w, h, palette},
                            {a, w, h, palette},
                            {b, w, h, palette},
                            {c, w, h, palette},
                            {c, w, h, palette},
                            {d, w, h, palette},
                            {d, w, h, palette},
                            {d, w, h, palette}},
                           3, read));
  ASSERT_EQ(4u, read.frames.size());
  const int delays[] = {9, 3, 6, 9};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(delays[i], read.frames[i].delay) << i;
}

TEST(GifWriter, DelaysPastTheFieldsLimitGoOnInFramesThatChangeNothing) {
  TempDir dir;
  const Palette palette = test_palette(7);
  // A 1x1 screen, 700 equal frames a second apart: 70,000 hundredths, more
  // than the 65,535 a frame's delay holds; then one more.
  std::vector<Frame> frames(700, Frame{{42}, 1, 1, palette});
  frames.push_back({{43}, 1, 1, palette});
  ReadGif read;
  ASSERT_EQ("", round_trip(dir, frames, 100, read));
  ASSERT_EQ(3u, read.frames.size());
  EXPECT_EQ(65535, read.frames[0].delay);
  EXPECT_EQ(70000 - 65535, read.frames[1].delay);
  EXPECT_EQ(100, read.frames[2].delay);
  // Exactly the field's limit: 13,107 frames 5 hundredths apart (--fps 20)
  // make one frame, with no frame of delay 0 after it.
  frames.assign(13107, Frame{{42}, 1, 1, palette});
  frames.push_back({{43}, 1, 1, palette});
  ReadGif exact;
  ASSERT_EQ("", round_trip(dir, frames, 5, exact));
  ASSERT_EQ(2u, exact.frames.size());
  EXPECT_EQ(65535, exact.frames[0].delay);
  EXPECT_EQ(5, exact.frames[1].delay);
}

TEST(GifWriter, LeavesNothingBehindUnlessFinished) {
  TempDir dir;
  const std::vector<uint8_t> pixels(16, 1);
  {
    GifWriter gif(dir.file("out.gif"), 2);
    EXPECT_EQ(1u, dir.entries().size());  // the temporary file, under another name
    EXPECT_NE("out.gif", dir.entries()[0]);
    gif.add_frame(pixels.data(), 4, 4, test_palette(0));
  }
  EXPECT_TRUE(dir.entries().empty());
  {
    GifWriter gif(dir.file("out.gif"), 2);
    EXPECT_THROW(gif.finish(), OutputError);  // no frames
  }
  EXPECT_TRUE(dir.entries().empty());
  EXPECT_THROW(GifWriter(dir.file("missing/out.gif"), 2), OutputError);
  mkdir(dir.file("folder").c_str(), 0755);
  EXPECT_THROW(GifWriter(dir.file("folder"), 2), OutputError);
}

// The LZW coder alone, through giflib's decoder: a code size per table
// size, pixels with a second choice, and enough of them to fill the code
// table many times, once with the table cleared when full and once kept.
TEST(LzwEncoder, StreamsDecodeToOneOfEachPixelsChoices) {
  TempDir dir;
  std::mt19937 random(11);
  kroplay::LzwEncoder lzw;
  std::vector<uint8_t> codes;
  for (int bits = 1; bits <= 8; ++bits)
    for (bool keep : {false, true}) {
      const int w = 300, h = 200, colours = 1 << bits;
      std::vector<uint8_t> first(w * h), second(w * h);
      for (int i = 0; i < w * h; ++i) {
        // Rows of a repeating pattern, noise, and pixels with two choices.
        first[i] = static_cast<uint8_t>((i / w % 3 == 0 ? random() : i % 7) % colours);
        second[i] = random() % 4 == 0 ? static_cast<uint8_t>(random() % colours) : first[i];
      }
      kroplay::LzwOptions options;
      options.keep_full_table = keep;
      const int code_size = std::max(2, bits);
      const size_t length = lzw.encode(first.data(), second.data(), first.size(), code_size,
                                       options, SIZE_MAX, codes);
      ASSERT_GT(length, 0u);
      const std::string path = dir.file("lzw.gif");
      int error = 0;
      GifFileType *out = EGifOpenFileName(path.c_str(), false, &error);
      ASSERT_NE(nullptr, out);
      ColorMapObject *map = GifMakeMapObject(colours, nullptr);
      EGifPutScreenDesc(out, w, h, bits, 0, map);
      EGifPutImageDesc(out, 0, 0, w, h, false, nullptr);
      GifByteType block[256];
      for (size_t at = 0; at < length; at += 255) {
        block[0] = static_cast<GifByteType>(std::min<size_t>(255, length - at));
        std::memcpy(block + 1, codes.data() + at, block[0]);
        EGifPutCodeNext(out, block);
      }
      EGifPutCodeNext(out, nullptr);
      EGifCloseFile(out, &error);
      GifFreeMapObject(map);
      ReadGif read;
      ASSERT_EQ("", read_gif(path, read)) << bits << " " << keep;
      ASSERT_EQ(1u, read.frames.size());
      EXPECT_EQ(code_size, read.frames[0].code_size);
      for (int i = 0; i < w * h; ++i) {
        const uint8_t got = read.frames[0].indices[i];
        ASSERT_TRUE(got == first[i] || got == second[i])
            << "pixel " << i << " of " << bits << " bits, table kept " << keep;
      }
    }
}

}  // namespace

namespace {

// Stripes bent by two waves, as a ripple bends a striped background: once
// the code table is full, its strings keep paying, so keeping it makes the
// stream more than a tenth shorter than clearing it at once does.
TEST(LzwEncoder, AFullTableIsKeptWhileItsStringsPay) {
  const int w = 320, h = 200;
  std::vector<uint8_t> stripes(w * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      stripes[y * w + x] =
          static_cast<uint8_t>(int(x + 8 + 5 * std::sin(y / 7.0) + 3 * std::sin(x / 5.0)) / 3 % 64);
  kroplay::LzwEncoder lzw;
  std::vector<uint8_t> codes;
  kroplay::LzwOptions keep, clear;
  keep.keep_full_table = true;
  const size_t kept = lzw.encode(stripes.data(), nullptr, stripes.size(), 6, keep, SIZE_MAX, codes);
  const size_t cleared =
      lzw.encode(stripes.data(), nullptr, stripes.size(), 6, clear, SIZE_MAX, codes);
  EXPECT_LT(kept * 10, cleared * 9)
      << kept << " bytes with the table kept, " << cleared << " cleared at once";
}

}  // namespace
