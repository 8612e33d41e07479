#include "kroplay/gif/gif_loader.h"

#include <gif_lib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "kroplay/gif/gif_writer.h"

namespace kroplay {
namespace {

struct GifCloser {
  void operator()(GifFileType *gif) const { DGifCloseFile(gif, nullptr); }
};

// Larger first frames are refused rather than decoded.
constexpr int64_t kMaxImagePixels = int64_t{1} << 26;

}  // namespace

LoadedBackground load_gif_background(const std::string &path, int32_t width, int32_t height) {
  const std::string name = "'" + path + "'";
  // giflib's own message for a missing file does not say why.
  if (std::FILE *probe = std::fopen(path.c_str(), "rb")) {
    std::fclose(probe);
  } else {
    throw std::runtime_error("cannot read " + name + ": " + std::strerror(errno));
  }
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpenFileName(path.c_str(), &error));
  if (!gif) throw std::runtime_error("cannot read " + name + ": " + gif_error_text(error));
  auto fail = [&](const std::string &what) {
    return std::runtime_error("cannot read " + name + ": " + what);
  };

  // Skip extensions up to the first image.
  GifRecordType record;
  do {
    if (DGifGetRecordType(gif.get(), &record) != GIF_OK) throw fail(gif_error_text(gif->Error));
    if (record == EXTENSION_RECORD_TYPE) {
      int code;
      GifByteType *block;
      if (DGifGetExtension(gif.get(), &code, &block) != GIF_OK)
        throw fail(gif_error_text(gif->Error));
      while (block != nullptr)
        if (DGifGetExtensionNext(gif.get(), &block) != GIF_OK)
          throw fail(gif_error_text(gif->Error));
    }
    if (record == TERMINATE_RECORD_TYPE) throw fail("it holds no image");
  } while (record != IMAGE_DESC_RECORD_TYPE);
  if (DGifGetImageDesc(gif.get()) != GIF_OK) throw fail(gif_error_text(gif->Error));

  const GifImageDesc &desc = gif->Image;
  const ColorMapObject *map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
  if (map == nullptr) throw fail("it has no colour table");
  if (static_cast<int64_t>(desc.Width) * desc.Height > kMaxImagePixels)
    throw fail("its first frame is too large");

  // Rows come in order, or in four interlaced passes.
  std::vector<uint8_t> image(static_cast<size_t>(desc.Width) * static_cast<size_t>(desc.Height));
  std::vector<int> rows;
  if (desc.Interlace) {
    const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int y = start[pass]; y < desc.Height; y += step[pass]) rows.push_back(y);
  } else {
    for (int y = 0; y < desc.Height; ++y) rows.push_back(y);
  }
  for (int y : rows)
    if (DGifGetLine(gif.get(), image.data() + static_cast<size_t>(y) * desc.Width, desc.Width) !=
        GIF_OK)
      throw fail(gif_error_text(gif->Error));

  LoadedBackground result;
  const int colors = std::min(map->ColorCount, kPaletteEntries);
  for (int i = 0; i < colors; ++i) {
    result.colors.push_back(map->Colors[i].Red);
    result.colors.push_back(map->Colors[i].Green);
    result.colors.push_back(map->Colors[i].Blue);
  }
  // Outside the frame, the GIF's background colour.
  const uint8_t fill = static_cast<uint8_t>(gif->SBackGroundColor);
  result.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), fill);
  for (int32_t y = 0; y < height; ++y) {
    const int64_t source_y = static_cast<int64_t>(y) - desc.Top;
    if (source_y < 0 || source_y >= desc.Height) continue;
    for (int32_t x = 0; x < width; ++x) {
      const int64_t source_x = static_cast<int64_t>(x) - desc.Left;
      if (source_x < 0 || source_x >= desc.Width) continue;
      result.pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
          image[static_cast<size_t>(source_y) * desc.Width + static_cast<size_t>(source_x)];
    }
  }
  return result;
}

}  // namespace kroplay
