// PNG pictures with chunks crafted to cost: text chunks that inflate to far
// more than the pixels, and a chunk claiming more bytes than the file has.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "kroplay/picture/picture_file.h"
#include "support/temp_dir.h"

namespace {

std::string big_endian(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string chunk(const std::string &type, const std::string &data) {
  const std::string body = type + data;
  const auto *bytes = reinterpret_cast<const Bytef *>(body.data());
  return big_endian(static_cast<uint32_t>(data.size())) + body +
         big_endian(static_cast<uint32_t>(crc32(0, bytes, static_cast<uInt>(body.size()))));
}

std::string deflated(const std::string &text) {
  uLongf size = compressBound(static_cast<uLong>(text.size()));
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef *>(&out[0]), &size, reinterpret_cast<const Bytef *>(text.data()),
            static_cast<uLong>(text.size()), 9);
  out.resize(size);
  return out;
}

const std::string kSignature = "\x89PNG\r\n\x1a\n";

// A 4x4 picture of 8-bit indices 0..3 per row, two colours, `between` its
// palette and its pixels.
std::string indexed_png(const std::string &between) {
  const std::string header = big_endian(4) + big_endian(4) + std::string("\x08\x03\0\0\0", 5);
  std::string rows;
  for (int y = 0; y < 4; ++y) rows += std::string("\0\0\1\0\1", 5);
  return kSignature + chunk("IHDR", header) + chunk("PLTE", "abcdef") + between +
         chunk("IDAT", deflated(rows)) + chunk("IEND", "");
}

std::string load_message(const TempDir &dir, const std::string &png) {
  std::FILE *file = std::fopen(dir.file("p.png").c_str(), "wb");
  std::fwrite(png.data(), 1, png.size(), file);
  std::fclose(file);
  try {
    kroplay::read_picture("p.png", dir.path());
  } catch (const std::runtime_error &e) {
    return e.what();
  }
  return "(loaded)";
}

TEST(PictureChunks, TextChunksAreSkippedWithoutInflatingThem) {
  // Fifty compressed texts of 2 MB each: inflated, 100 MB for 16 pixels.
  std::string texts;
  const std::string text = std::string("k\0\0", 3) + deflated(std::string(2'000'000, ' '));
  for (int i = 0; i < 50; ++i) texts += chunk("zTXt", text);
  const TempDir dir;
  EXPECT_EQ("(loaded)", load_message(dir, indexed_png(texts)));
  const kroplay::Picture picture = kroplay::read_picture("p.png", dir.path());
  EXPECT_EQ((std::vector<uint8_t>{0, 1, 0, 1}),
            std::vector<uint8_t>(picture.pixels.begin(), picture.pixels.begin() + 4));
  EXPECT_EQ("abcdef", std::string(picture.colours.begin(), picture.colours.end()));
}

TEST(PictureChunks, AChunkLongerThanTheRestOfTheFileIsRefusedBeforeItIsRead) {
  // A text chunk claiming 2 GiB in a file of 64 bytes.
  const std::string png =
      kSignature + chunk("IHDR", big_endian(4) + big_endian(4) + std::string("\x08\x03\0\0\0", 5)) +
      big_endian(0x7fffffff) + "zTXtk" + std::string(23, '\0');
  const TempDir dir;
  EXPECT_EQ("cannot read 'p.png': truncated file: a chunk claims 2147483647 bytes, 24 are left",
            load_message(dir, png));
}

}  // namespace
