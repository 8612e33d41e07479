// Loading a script file as Lua's loadfile does (a UTF-8 byte order mark and
// a first line starting with '#' skipped, the chunk named "@path"), with
// the file opened by its UTF-8 name on every platform: one implementation
// each (script_file_posix.cpp, script_file_win32.cpp, where Lua's own
// fopen would read the name in the ANSI code page on Windows before 10
// version 1903).
#ifndef KROPLAY_SCRIPT_FILE_H
#define KROPLAY_SCRIPT_FILE_H

#include <string>

struct lua_State;

namespace kroplay {

// As luaL_loadfilex: the chunk, or an error message, pushed; Lua's status.
int load_script_file(lua_State *lua, const std::string &path, const char *mode);

}  // namespace kroplay

#endif  // KROPLAY_SCRIPT_FILE_H
