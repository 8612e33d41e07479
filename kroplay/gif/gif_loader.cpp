#include "kroplay/gif/gif_loader.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "kroplay/base/palettes.h"

namespace kroplay {
namespace {

struct GifCloser {
  void operator()(GifFileType *gif) const { DGifCloseFile(gif, nullptr); }
};

// What giflib has not read yet.
struct ByteSource {
  const uint8_t *next;
  size_t left;
};

int read_bytes(GifFileType *gif, GifByteType *into, int count) {
  auto *source = static_cast<ByteSource *>(gif->UserData);
  const size_t n = std::min(source->left, static_cast<size_t>(std::max(count, 0)));
  std::memcpy(into, source->next, n);
  source->next += n;
  source->left -= n;
  return static_cast<int>(n);
}

// giflib's reason for a failed read; it gives none (code 0) for some cut
// or broken files.
std::runtime_error read_error(int code) {
  if (code == 0) return std::runtime_error("truncated or malformed file");
  const char *text = GifErrorString(code);
  return std::runtime_error(text != nullptr ? text : "giflib error " + std::to_string(code));
}

}  // namespace

Picture decode_gif(const std::vector<uint8_t> &bytes) {
  ByteSource source{bytes.data(), bytes.size()};
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&source, read_bytes, &error));
  if (!gif) throw read_error(error);

  // Skip extensions up to the first image; a graphics control block among
  // them gives its transparent index.
  Picture picture;
  GifRecordType record;
  do {
    if (DGifGetRecordType(gif.get(), &record) != GIF_OK) throw read_error(gif->Error);
    if (record == EXTENSION_RECORD_TYPE) {
      int code;
      GifByteType *block;
      if (DGifGetExtension(gif.get(), &code, &block) != GIF_OK) throw read_error(gif->Error);
      GraphicsControlBlock control;
      if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr &&
          DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
        picture.transparent = control.TransparentColor;
      while (block != nullptr)
        if (DGifGetExtensionNext(gif.get(), &block) != GIF_OK) throw read_error(gif->Error);
    }
    if (record == TERMINATE_RECORD_TYPE) throw std::runtime_error("it holds no image");
  } while (record != IMAGE_DESC_RECORD_TYPE);
  if (DGifGetImageDesc(gif.get()) != GIF_OK) throw read_error(gif->Error);

  const GifImageDesc &desc = gif->Image;
  const ColorMapObject *map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
  if (map == nullptr) throw std::runtime_error("it has no colour table");
  if (static_cast<int64_t>(desc.Width) * desc.Height > kMaxPicturePixels)
    throw std::runtime_error("its first frame is too large");

  // Rows come in order, or in four interlaced passes.
  picture.width = desc.Width;
  picture.height = desc.Height;
  picture.left = desc.Left;
  picture.top = desc.Top;
  picture.pixels.resize(static_cast<size_t>(desc.Width) * static_cast<size_t>(desc.Height));
  std::vector<int> rows;
  if (desc.Interlace) {
    const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int y = start[pass]; y < desc.Height; y += step[pass]) rows.push_back(y);
  } else {
    for (int y = 0; y < desc.Height; ++y) rows.push_back(y);
  }
  for (int y : rows)
    if (DGifGetLine(gif.get(), picture.pixels.data() + static_cast<size_t>(y) * desc.Width,
                    desc.Width) != GIF_OK)
      throw read_error(gif->Error);

  const int colours = std::min(map->ColorCount, kPaletteEntries);
  for (int i = 0; i < colours; ++i) {
    picture.colours.push_back(map->Colors[i].Red);
    picture.colours.push_back(map->Colors[i].Green);
    picture.colours.push_back(map->Colors[i].Blue);
  }
  picture.background = static_cast<uint8_t>(gif->SBackGroundColor);
  return picture;
}

}  // namespace kroplay
