// kroplay's arguments as UTF-8, whatever the platform: the system's entry
// point (entry_point_posix.cpp, entry_point_win32.cpp) hands them to
// run_kroplay.
#ifndef KROPLAY_ENTRY_POINT_H
#define KROPLAY_ENTRY_POINT_H

#include <string>
#include <vector>

// The arguments after the program's name; returns the exit status.
int run_kroplay(const std::vector<std::string> &arguments);

#endif  // KROPLAY_ENTRY_POINT_H
