#include "kroplay/script/source_text_only.h"

#include <lua.hpp>
#include <new>
#include <string>

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

// require: the preload table, then Lua source files beside the script
// (kroplay.beside, set once the script is loaded), then on package.path.
// Each file found is announced to kroplay.found before it is compiled, so
// that one that fails to compile is known too. Both are upvalues out of
// the script's sight but through the debug library, which can only move
// the search or announce a file.
const char kSearchers[] = R"lua(
local package, loadfile, searchpath, error = package, loadfile, package.searchpath, error
local kroplay = {beside = "", found = function() end}
package.loadlib = nil
package.cpath = ""
package.searchers = {package.searchers[1], function(name)
  local path, missing = searchpath(name, kroplay.beside .. package.path)
  if not path then return missing end
  kroplay.found(path)
  local chunk, problem = loadfile(path)
  if not chunk then error("module '" .. name .. "': " .. problem, 0) end
  return chunk, path
end}
return kroplay
)lua";

// The registry key of the table above.
const char kModuleSearch[] = "kroplay.module_search";

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
  // Only memory can run out here.
  if (luaL_loadbufferx(lua, kSearchers, sizeof kSearchers - 1, "=kroplay", kTextOnly) != LUA_OK ||
      lua_pcall(lua, 0, 1, 0) != LUA_OK)
    throw std::bad_alloc();
  lua_setfield(lua, LUA_REGISTRYINDEX, kModuleSearch);
}

void find_modules_beside(lua_State *lua, const std::string &folder, lua_CFunction found) {
  lua_getfield(lua, LUA_REGISTRYINDEX, kModuleSearch);
  if (!folder.empty()) {
    lua_pushfstring(lua, "%s/?.lua;%s/?/init.lua;", folder.c_str(), folder.c_str());
    lua_setfield(lua, -2, "beside");
  }
  lua_pushcfunction(lua, found);
  lua_setfield(lua, -2, "found");
  lua_pop(lua, 1);
}

}  // namespace kroplay
