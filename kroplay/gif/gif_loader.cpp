#include "kroplay/gif/gif_loader.h"

#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "kroplay/gif/gif_writer.h"
#include "kroplay/gif/regular_file.h"
#include "kroplay/host/quoted.h"

namespace kroplay {
namespace {

struct GifCloser {
  void operator()(GifFileType *gif) const { DGifCloseFile(gif, nullptr); }
};

// giflib's reason for a failed read; it gives none (code 0) for some cut
// or broken files.
std::string read_error(int code) {
  return code == 0 ? "truncated or malformed file" : gif_error_text(code);
}

// Larger first frames are refused rather than decoded.
constexpr int64_t kMaxImagePixels = int64_t{1} << 26;

}  // namespace

LoadedBackground load_gif_background(const std::string &path, int32_t width, int32_t height,
                                     const std::string &folder) {
  const std::string name = quoted(path);
  auto fail = [&](const std::string &what) {
    return std::runtime_error("cannot read " + name + ": " + what);
  };
  const std::string file = path_in_folder(folder, path);
  int64_t size = 0;
  std::string refusal;
  const int fd = open_regular_file(file, size, refusal);
  if (fd < 0) throw fail(refusal);
  if (size > kMaxPictureBytes) {
    close(fd);
    throw fail("larger than " + std::to_string(kMaxPictureBytes >> 20) + " MiB");
  }
  int error = 0;
  // giflib takes the descriptor, and closes it also when it fails.
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpenFileHandle(fd, &error));
  if (!gif) throw fail(read_error(error));

  // Skip extensions up to the first image.
  GifRecordType record;
  do {
    if (DGifGetRecordType(gif.get(), &record) != GIF_OK) throw fail(read_error(gif->Error));
    if (record == EXTENSION_RECORD_TYPE) {
      int code;
      GifByteType *block;
      if (DGifGetExtension(gif.get(), &code, &block) != GIF_OK) throw fail(read_error(gif->Error));
      while (block != nullptr)
        if (DGifGetExtensionNext(gif.get(), &block) != GIF_OK) throw fail(read_error(gif->Error));
    }
    if (record == TERMINATE_RECORD_TYPE) throw fail("it holds no image");
  } while (record != IMAGE_DESC_RECORD_TYPE);
  if (DGifGetImageDesc(gif.get()) != GIF_OK) throw fail(read_error(gif->Error));

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
      throw fail(read_error(gif->Error));

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
