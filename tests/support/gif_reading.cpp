#include "support/gif_reading.h"

#include <gif_lib.h>

#include <cstdio>
#include <cstring>

namespace {

void copy_map(const ColorMapObject *map, std::array<uint8_t, 768> &palette) {
  palette.fill(0);
  for (int i = 0; i < map->ColorCount && i < 256; ++i) {
    palette[3 * i] = map->Colors[i].Red;
    palette[3 * i + 1] = map->Colors[i].Green;
    palette[3 * i + 2] = map->Colors[i].Blue;
  }
}

bool is_loop_forever(const SavedImage &image) {
  for (int i = 0; i + 1 < image.ExtensionBlockCount; ++i) {
    const ExtensionBlock &app = image.ExtensionBlocks[i];
    const ExtensionBlock &data = image.ExtensionBlocks[i + 1];
    if (app.Function == APPLICATION_EXT_FUNC_CODE && app.ByteCount == 11 &&
        std::memcmp(app.Bytes, "NETSCAPE2.0", 11) == 0 && data.ByteCount == 3 && data.Bytes[0] == 1)
      return data.Bytes[1] == 0 && data.Bytes[2] == 0;
  }
  return false;
}

// The LZW minimum code size of each image, read from the file's blocks
// (giflib does not report it).
std::vector<int> image_code_sizes(const std::string &path) {
  std::vector<int> sizes;
  std::FILE *f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return sizes;
  std::vector<uint8_t> d;
  for (int c; (c = std::fgetc(f)) != EOF;) d.push_back(static_cast<uint8_t>(c));
  std::fclose(f);
  auto table_size = [](uint8_t flags) { return (flags & 0x80) ? 3 * (2 << (flags & 7)) : 0; };
  auto skip_blocks = [&](size_t i) {
    while (i < d.size() && d[i] != 0) i += d[i] + 1;
    return i + 1;
  };
  if (d.size() < 13) return sizes;
  size_t i = 13 + table_size(d[10]);
  while (i < d.size() && d[i] != 0x3b) {
    if (d[i] == 0x21) {
      i = skip_blocks(i + 2);
    } else if (d[i] == 0x2c && i + 10 < d.size()) {
      i += 10 + table_size(d[i + 9]);
      if (i >= d.size()) break;
      sizes.push_back(d[i]);
      i = skip_blocks(i + 1);
    } else {
      break;
    }
  }
  return sizes;
}

}  // namespace

std::string read_gif(const std::string &path, ReadGif &out) {
  char version[7] = {};
  if (std::FILE *f = std::fopen(path.c_str(), "rb")) {
    if (std::fread(version, 1, 6, f) != 6) version[0] = 0;
    std::fclose(f);
  }
  out.version = version;
  int error = 0;
  GifFileType *gif = DGifOpenFileName(path.c_str(), &error);
  if (gif == nullptr) return std::string("cannot open: ") + GifErrorString(error);
  if (DGifSlurp(gif) != GIF_OK) {
    const std::string message = std::string("cannot decode: ") + GifErrorString(gif->Error);
    DGifCloseFile(gif, nullptr);
    return message;
  }
  out.width = gif->SWidth;
  out.height = gif->SHeight;
  if (gif->SColorMap != nullptr) {
    out.global_colours = gif->SColorMap->ColorCount;
    copy_map(gif->SColorMap, out.global_palette);
  }
  out.loops_forever = gif->ImageCount > 0 && is_loop_forever(gif->SavedImages[0]);

  const size_t pixels = static_cast<size_t>(out.width) * static_cast<size_t>(out.height);
  std::vector<uint8_t> indices(pixels, static_cast<uint8_t>(gif->SBackGroundColor));
  std::vector<uint8_t> rgb(3 * pixels, 0);
  std::string problem;
  for (int n = 0; n < gif->ImageCount && problem.empty(); ++n) {
    const SavedImage &image = gif->SavedImages[n];
    ReadFrame frame;
    frame.left = image.ImageDesc.Left;
    frame.top = image.ImageDesc.Top;
    frame.width = image.ImageDesc.Width;
    frame.height = image.ImageDesc.Height;
    frame.own_colour_table = image.ImageDesc.ColorMap != nullptr;
    GraphicsControlBlock control;
    if (DGifSavedExtensionToGCB(gif, n, &control) == GIF_OK) {
      frame.delay = control.DelayTime;
      frame.disposal = control.DisposalMode;
      frame.transparent = control.TransparentColor;
    }
    const ColorMapObject *map = frame.own_colour_table ? image.ImageDesc.ColorMap : gif->SColorMap;
    if (map == nullptr) {
      problem = "frame without a colour table";
      break;
    }
    copy_map(map, frame.palette);
    if (frame.left + frame.width > out.width || frame.top + frame.height > out.height) {
      problem = "frame outside the screen";
      break;
    }
    const std::vector<uint8_t> indices_before = indices, rgb_before = rgb;
    auto each_pixel = [&](auto action) {
      for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x)
          action(static_cast<size_t>(y) * frame.width + x,
                 static_cast<size_t>(frame.top + y) * out.width + (frame.left + x));
    };
    each_pixel([&](size_t from, size_t at) {
      const uint8_t index = image.RasterBits[from];
      if (index == frame.transparent) {
        ++frame.transparent_pixels;
        return;
      }
      indices[at] = index;
      for (int c = 0; c < 3; ++c) rgb[3 * at + c] = frame.palette[3 * index + c];
    });
    frame.indices = indices;
    frame.rgb = rgb;
    if (frame.disposal == DISPOSE_BACKGROUND) {
      const int background = gif->SBackGroundColor;
      each_pixel([&](size_t, size_t at) {
        indices[at] = static_cast<uint8_t>(background);
        for (int c = 0; c < 3; ++c) rgb[3 * at + c] = out.global_palette[3 * background + c];
      });
    } else if (frame.disposal == DISPOSE_PREVIOUS) {
      indices = indices_before;
      rgb = rgb_before;
    }
    out.frames.push_back(std::move(frame));
  }
  DGifCloseFile(gif, nullptr);
  const std::vector<int> code_sizes = image_code_sizes(path);
  for (size_t n = 0; n < out.frames.size() && n < code_sizes.size(); ++n)
    out.frames[n].code_size = code_sizes[n];
  return problem;
}

std::string compare_playback(const ReadGif &gif, const std::vector<ShownFrame> &frames, int delay) {
  long gif_time = 0;
  for (const ReadFrame &f : gif.frames) gif_time += f.delay;
  const long expected_time = static_cast<long>(frames.size()) * delay;
  if (gif_time != expected_time)
    return "plays " + std::to_string(gif_time) + " hundredths, not " +
           std::to_string(expected_time);
  size_t shown = 0;
  long shown_until = gif.frames.empty() ? 0 : gif.frames[0].delay;
  for (long t = 0; t < expected_time; ++t) {
    while (t >= shown_until) shown_until += gif.frames[++shown].delay;
    const ShownFrame &expected = frames[static_cast<size_t>(t / delay)];
    const std::vector<uint8_t> &screen = gif.frames[shown].rgb;
    for (int y = 0; y < expected.height; ++y)
      for (int x = 0; x < expected.width; ++x) {
        const uint8_t index = (*expected.pixels)[static_cast<size_t>(y) * expected.width + x];
        const size_t at = 3 * (static_cast<size_t>(y) * gif.width + x);
        for (int c = 0; c < 3; ++c)
          if (screen[at + c] != (*expected.palette)[3 * index + c])
            return "at " + std::to_string(t) + "/100 s (frame " + std::to_string(t / delay) +
                   ", GIF frame " + std::to_string(shown) + ") pixel (" + std::to_string(x) + ", " +
                   std::to_string(y) + ") differs";
      }
  }
  return "";
}

std::string write_plain_gif(const std::string &path, const std::vector<uint8_t> &pixels, int width,
                            int height, const std::array<uint8_t, 768> &palette) {
  int error = 0;
  GifFileType *gif = EGifOpenFileName(path.c_str(), false, &error);
  if (gif == nullptr) return std::string("cannot create: ") + GifErrorString(error);
  ColorMapObject *map = GifMakeMapObject(256, nullptr);
  for (int i = 0; i < 256; ++i)
    map->Colors[i] = {palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]};
  bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK &&
            EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
  GifFreeMapObject(map);
  std::vector<GifPixelType> line(static_cast<size_t>(width));
  for (int y = 0; y < height && ok; ++y) {
    std::copy(pixels.begin() + y * width, pixels.begin() + (y + 1) * width, line.begin());
    ok = EGifPutLine(gif, line.data(), width) == GIF_OK;
  }
  const bool closed = EGifCloseFile(gif, &error) == GIF_OK;
  return ok && closed ? "" : "cannot write " + path;
}
