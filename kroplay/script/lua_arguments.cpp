#include "kroplay/script/lua_arguments.h"

#include <cstring>
#include <lua.hpp>

namespace kroplay {

void check_argument_count(lua_State *lua, const char *name, int min, int max) {
  const int n = lua_gettop(lua);
  if (n >= min && n <= max) return;
  if (min == max)
    luaL_error(lua, "%s: expected %d argument%s, got %d", name, min, min == 1 ? "" : "s", n);
  luaL_error(lua, "%s: expected %d to %d arguments, got %d", name, min, max, n);
}

int32_t integer_argument(lua_State *lua, const char *name, int index) {
  if (lua_type(lua, index) != LUA_TNUMBER)
    luaL_error(lua, "%s: argument %d must be an integer, got %s", name, index,
               luaL_typename(lua, index));
  int exact = 0;
  const lua_Integer value = lua_tointegerx(lua, index, &exact);
  if (!exact)
    luaL_error(lua, "%s: argument %d must be an integer, got %s", name, index,
               luaL_tolstring(lua, index, nullptr));
  if (value < INT32_MIN || value > INT32_MAX)
    luaL_error(lua, "%s: argument %d must be an integer from -2147483648 to 2147483647, got %I",
               name, index, static_cast<LUAI_UACINT>(value));
  return static_cast<int32_t>(value);
}

int32_t integer_argument_in(lua_State *lua, const char *name, int index, int32_t low,
                            int32_t high) {
  const int32_t value = integer_argument(lua, name, index);
  if (value < low || value > high)
    luaL_error(lua, "%s: argument %d must be from %d to %d, got %d", name, index, low, high, value);
  return value;
}

const char *string_argument(lua_State *lua, const char *name, int index, const char *what) {
  if (lua_type(lua, index) != LUA_TSTRING)
    luaL_error(lua, "%s: argument %d must be %s, got %s", name, index, what,
               luaL_typename(lua, index));
  size_t length = 0;
  const char *text = lua_tolstring(lua, index, &length);
  if (std::strlen(text) != length)
    luaL_error(lua, "%s: argument %d contains a zero byte", name, index);
  return text;
}

}  // namespace kroplay
