#include "kroplay/script/source_text_only.h"

#include <lua.hpp>
#include <string>

#include "kroplay/script/module_search.h"

namespace kroplay {
namespace {

// The base library's load and loadfile, called straight from C so that
// they never appear as Lua values a script could reach (not even through
// debug.getinfo while a reader function runs).
lua_CFunction base_load = nullptr;
lua_CFunction base_loadfile = nullptr;

// Puts the text-only mode at argument `index` and calls `loader` on the
// caller's stack.
int with_text_mode(lua_State *lua, int index, lua_CFunction loader) {
  if (lua_gettop(lua) < index) lua_settop(lua, index);
  lua_pushstring(lua, kTextOnly);
  lua_replace(lua, index);
  return loader(lua);
}

// load(chunk [, chunkname [, mode [, env]]])
int load_text(lua_State *lua) {
  return with_text_mode(lua, 3, base_load);
}

// loadfile([filename [, mode [, env]]])
int loadfile_text(lua_State *lua) {
  return with_text_mode(lua, 2, base_loadfile);
}

int dofile_results(lua_State *lua, int, lua_KContext) {
  return lua_gettop(lua) - 1;
}

// dofile([filename])
int dofile_text(lua_State *lua) {
  const char *name = luaL_optstring(lua, 1, nullptr);
  lua_settop(lua, 1);
  if (luaL_loadfilex(lua, name, kTextOnly) != LUA_OK) return lua_error(lua);
  lua_callk(lua, 0, LUA_MULTRET, 0, dofile_results);
  return dofile_results(lua, LUA_OK, 0);
}

}  // namespace

void allow_text_chunks_only(lua_State *lua) {
  lua_getglobal(lua, "load");
  lua_getglobal(lua, "loadfile");
  base_loadfile = lua_tocfunction(lua, -1);
  base_load = lua_tocfunction(lua, -2);
  lua_pop(lua, 2);
  lua_register(lua, "load", load_text);
  lua_register(lua, "loadfile", loadfile_text);
  lua_register(lua, "dofile", dofile_text);
  install_module_search(lua);
}

}  // namespace kroplay
