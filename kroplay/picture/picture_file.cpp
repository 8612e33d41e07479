#include "kroplay/picture/picture_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "kroplay/base/quoted.h"
#include "kroplay/gif/gif_loader.h"
#include "kroplay/picture/regular_file.h"
#include "kroplay/png/png_reader.h"

namespace kroplay {
namespace {

bool starts_with(const std::vector<uint8_t> &bytes, const char *signature) {
  const size_t length = std::strlen(signature);
  return bytes.size() >= length && std::memcmp(bytes.data(), signature, length) == 0;
}

}  // namespace

Picture read_picture(const std::string &path, const std::string &folder) {
  const std::string name = quoted(path);
  const std::string file = path_in_folder(folder, path);
  int64_t size = 0;
  std::string refusal;
  const int fd = open_regular_file(file, size, refusal);
  if (fd < 0) {
    // A missing file says where it was looked for, as a relative path
    // leads beside the script.
    const std::string looked_at = full_path(file);
    if (refusal == std::strerror(ENOENT) && looked_at != path)
      refusal += " (looked for " + quoted(looked_at) + ")";
    throw std::runtime_error("cannot read " + name + ": " + refusal);
  }
  try {
    if (size > kMaxPictureBytes) {
      close(fd);
      throw std::runtime_error("larger than " + std::to_string(kMaxPictureBytes >> 20) + " MiB");
    }
    const std::vector<uint8_t> bytes = read_and_close(fd, size);
    if (starts_with(bytes, "\x89PNG\r\n\x1a\n")) return decode_png(bytes);
    if (starts_with(bytes, "GIF")) return decode_gif(bytes);
    throw std::runtime_error("it is neither a GIF nor a PNG picture");
  } catch (const std::runtime_error &e) {
    throw std::runtime_error("cannot read " + name + ": " + e.what());
  }
}

LoadedBackground load_background_picture(const std::string &path, int32_t width, int32_t height,
                                         const std::string &folder) {
  const Picture picture = read_picture(path, folder);
  LoadedBackground result;
  result.colours = picture.colours;
  result.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height),
                       picture.background);
  for (int32_t y = 0; y < height; ++y) {
    const int64_t source_y = static_cast<int64_t>(y) - picture.top;
    if (source_y < 0 || source_y >= picture.height) continue;
    for (int32_t x = 0; x < width; ++x) {
      const int64_t source_x = static_cast<int64_t>(x) - picture.left;
      if (source_x < 0 || source_x >= picture.width) continue;
      result.pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
          picture.pixels[static_cast<size_t>(source_y) * static_cast<size_t>(picture.width) +
                         static_cast<size_t>(source_x)];
    }
  }
  return result;
}

}  // namespace kroplay
