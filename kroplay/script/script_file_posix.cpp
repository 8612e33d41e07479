#include <lua.hpp>

#include "kroplay/script/script_file.h"

namespace kroplay {

int load_script_file(lua_State *lua, const std::string &path, const char *mode) {
  return luaL_loadfilex(lua, path.c_str(), mode);
}

}  // namespace kroplay
