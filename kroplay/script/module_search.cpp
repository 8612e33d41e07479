#include "kroplay/script/module_search.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <lua.hpp>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "kroplay/base/quoted.h"
#include "kroplay/picture/regular_file.h"
#include "kroplay/script/source_text_only.h"

namespace kroplay {
namespace {

// The registry key of the search's state: the package table (as the
// libraries opened it), the folder beside the script and the function told
// of each module file found. A script reaches it only through the debug
// library, which can only move the search or announce a file.
const char kModuleSearch[] = "kroplay.module_search";

enum class Lookup { kFound, kMissing, kRefused };

// Where `name` is looked for: beside the script, then package.path's
// templates with each '?' replaced (dots in the name become folders).
std::vector<std::string> candidates(const std::string &name, const std::string &folder,
                                    const std::string &templates) {
  std::string relative = name;
  for (char &c : relative)
    if (c == '.') c = '/';
  std::vector<std::string> paths;
  if (!folder.empty()) {
    paths.push_back(folder + "/" + relative + ".lua");
    paths.push_back(folder + "/" + relative + "/init.lua");
  }
  size_t start = 0;
  while (start <= templates.size()) {
    const size_t end = std::min(templates.find(';', start), templates.size());
    std::string path;
    for (size_t i = start; i < end; ++i)
      path += templates[i] == '?' ? relative : std::string(1, templates[i]);
    if (!path.empty()) paths.push_back(path);
    start = end + 1;
  }
  return paths;
}

// The first candidate that exists: found (its text in `text`), refused (not
// a regular file, or unreadable; `message` says why) or missing (`message`
// lists the files tried, as Lua's own searcher does).
Lookup look_up(const std::vector<std::string> &paths, std::string &file, std::string &text,
               std::string &message) {
  for (const std::string &path : paths) {
    int64_t size = 0;
    std::string refusal;
    const int fd = open_regular_file(path, size, refusal);
    if (fd < 0 && (refusal == std::strerror(ENOENT) || refusal == std::strerror(ENOTDIR))) {
      message += (message.empty() ? "no file '" : "\n\tno file '") + path + "'";
      continue;
    }
    file = path;
    try {
      if (fd >= 0) {
        const std::vector<uint8_t> bytes = read_and_close(fd, size);
        text.assign(bytes.begin(), bytes.end());
        return Lookup::kFound;
      }
    } catch (const std::runtime_error &e) {
      refusal = e.what();
    }
    message = "cannot read " + quoted(path) + ": " + refusal;
    return Lookup::kRefused;
  }
  return Lookup::kMissing;
}

// package.searchers[2]: the module's chunk and file, or the files tried.
int search_source_module(lua_State *lua) {
  const char *name = luaL_checkstring(lua, 1);
  lua_getfield(lua, LUA_REGISTRYINDEX, kModuleSearch);  // 2
  lua_getfield(lua, 2, "beside");                       // 3
  lua_getfield(lua, 2, "package");                      // 4
  lua_getfield(lua, 4, "path");                         // 5
  const char *folder = lua_tostring(lua, 3);
  const char *templates = lua_tostring(lua, 5);
  Lookup lookup = Lookup::kMissing;
  try {
    std::string file, text, message;
    lookup = look_up(
        candidates(name, folder != nullptr ? folder : "", templates != nullptr ? templates : ""),
        file, text, message);
    const std::string &said = lookup == Lookup::kFound ? text : message;
    lua_pushlstring(lua, file.data(), file.size());  // 6
    lua_pushlstring(lua, said.data(), said.size());  // 7
  } catch (const std::bad_alloc &) {
    return luaL_error(lua, "not enough memory");
  }
  if (lookup == Lookup::kMissing) return 1;
  if (lookup == Lookup::kRefused)
    return luaL_error(lua, "module '%s': %s", name, lua_tostring(lua, 7));
  // Told before compiling, so that a file that fails to compile is known too.
  lua_getfield(lua, 2, "found");
  lua_pushvalue(lua, 6);
  lua_call(lua, 1, 0);
  size_t length = 0;
  const char *text = lua_tolstring(lua, 7, &length);
  const char *chunk_name = lua_pushfstring(lua, "@%s", lua_tostring(lua, 6));
  if (luaL_loadbufferx(lua, text, length, chunk_name, kTextOnly) != LUA_OK)
    return luaL_error(lua, "module '%s': %s", name, lua_tostring(lua, -1));
  lua_pushvalue(lua, 6);
  return 2;
}

int ignore_file(lua_State *) {
  return 0;
}

}  // namespace

void install_module_search(lua_State *lua) {
  lua_getglobal(lua, "package");
  lua_pushnil(lua);
  lua_setfield(lua, -2, "loadlib");
  lua_pushliteral(lua, "");
  lua_setfield(lua, -2, "cpath");
  lua_createtable(lua, 2, 0);
  lua_getfield(lua, -2, "searchers");
  lua_rawgeti(lua, -1, 1);  // the preload table's
  lua_rawseti(lua, -3, 1);
  lua_pop(lua, 1);
  lua_pushcfunction(lua, search_source_module);
  lua_rawseti(lua, -2, 2);
  lua_setfield(lua, -2, "searchers");
  lua_createtable(lua, 0, 3);
  lua_insert(lua, -2);
  lua_setfield(lua, -2, "package");
  lua_pushcfunction(lua, ignore_file);
  lua_setfield(lua, -2, "found");
  lua_setfield(lua, LUA_REGISTRYINDEX, kModuleSearch);
}

void find_modules_beside(lua_State *lua, const std::string &folder, lua_CFunction found) {
  lua_getfield(lua, LUA_REGISTRYINDEX, kModuleSearch);
  lua_pushlstring(lua, folder.data(), folder.size());
  lua_setfield(lua, -2, "beside");
  lua_pushcfunction(lua, found);
  lua_setfield(lua, -2, "found");
  lua_pop(lua, 1);
}

}  // namespace kroplay
