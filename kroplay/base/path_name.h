// The parts of a path, as the system separates folders (kPathSeparators:
// '/' only, or on Windows '/' and '\').
#ifndef KROPLAY_PATH_NAME_H
#define KROPLAY_PATH_NAME_H

#include <string>

namespace kroplay {

// The characters that separate folders in a path on this platform; one
// definition each in path_name_posix.cpp and path_name_win32.cpp.
extern const char kPathSeparators[];

// "dir/sub/name.lua" gives "name.lua"; a path without a folder is itself.
std::string file_name_of(const std::string &path);

// "dir/sub/name.lua" gives "dir/sub", "/name" gives "/", and a path
// without a folder ".".
std::string folder_of(const std::string &path);

}  // namespace kroplay

#endif  // KROPLAY_PATH_NAME_H
