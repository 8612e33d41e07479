// Opening a picture or module file for reading only if it is a regular
// file, without waiting on a FIFO nobody writes to, and reading it whole; a
// path's folder, where a relative path leads, and the full path of a file:
// one implementation per platform (regular_file_posix.cpp,
// regular_file_win32.cpp; the reading in regular_file.cpp).
#ifndef KROPLAY_PICTURE_REGULAR_FILE_H
#define KROPLAY_PICTURE_REGULAR_FILE_H

#include <cstdint>
#include <string>
#include <vector>

namespace kroplay {

// The descriptor, open for binary reading, with the file's size in `size`;
// or -1 with `refusal` saying why (the system's error text, or "not a
// regular file").
int open_regular_file(const std::string &path, int64_t &size, std::string &refusal);

// The whole file behind `fd` (`size` bytes when opened; fewer if it was
// shortened meanwhile), which is closed. Throws std::runtime_error with the
// system's error text.
std::vector<uint8_t> read_and_close(int fd, int64_t size);

// `path` as seen from `folder`: itself when absolute (or no folder given),
// else joined to it.
std::string path_in_folder(const std::string &folder, const std::string &path);

// `path` from the root, joined to the working folder when relative (links
// are not followed, so that a missing file has one too); `path` itself if
// the working folder is unknown.
std::string full_path(const std::string &path);

}  // namespace kroplay

#endif  // KROPLAY_PICTURE_REGULAR_FILE_H
