// The file name part of a path, as the system separates folders: '/' only,
// or on Windows '/' and '\'.
#ifndef KROPLAY_PATH_NAME_H
#define KROPLAY_PATH_NAME_H

#include <string>

namespace kroplay {

// "dir/sub/name.lua" gives "name.lua"; a path without a folder is itself.
std::string file_name_of(const std::string &path);

}  // namespace kroplay

#endif  // KROPLAY_PATH_NAME_H
