#include "kroplay/script/picture_handles.h"

#include <cstring>
#include <lua.hpp>
#include <utility>

namespace kroplay {
namespace {

// The metatable of pictures' Lua objects.
constexpr const char *kPictureType = "kroplay.picture";

// The number of the picture whose Lua object is at `index`; 0 if it is no
// such object.
uint64_t serial_at(lua_State *lua, int index) {
  if (lua_type(lua, index) != LUA_TUSERDATA || lua_rawlen(lua, index) != sizeof(uint64_t) ||
      !lua_getmetatable(lua, index))
    return 0;
  luaL_getmetatable(lua, kPictureType);
  const bool ours = lua_rawequal(lua, -1, -2);
  lua_pop(lua, 2);
  uint64_t serial = 0;
  if (ours) std::memcpy(&serial, lua_touserdata(lua, index), sizeof serial);
  return serial;
}

}  // namespace

void PictureHandles::create_metatable(lua_State *lua, const luaL_Reg *methods) {
  luaL_newmetatable(lua, kPictureType);
  luaL_setfuncs(lua, methods, 0);
  // getmetatable(picture) gives this instead of the table.
  lua_pushliteral(lua, "picture");
  lua_setfield(lua, -2, "__metatable");
  lua_pop(lua, 1);
}

uint64_t PictureHandles::add(std::shared_ptr<const Picture> picture) {
  pictures_.emplace(next_, std::move(picture));
  return next_++;
}

void PictureHandles::make_object(lua_State *lua, void *object, uint64_t serial) {
  std::memcpy(object, &serial, sizeof serial);
  luaL_setmetatable(lua, kPictureType);
}

const std::shared_ptr<const Picture> *PictureHandles::at(lua_State *lua, int index) const {
  const auto found = pictures_.find(serial_at(lua, index));
  return found != pictures_.end() ? &found->second : nullptr;
}

int PictureHandles::index(lua_State *lua) const {
  const auto *picture = at(lua, 1);
  const char *key = lua_type(lua, 2) == LUA_TSTRING ? lua_tostring(lua, 2) : "";
  if (picture != nullptr && std::strcmp(key, "width") == 0)
    lua_pushinteger(lua, (*picture)->width);
  else if (picture != nullptr && std::strcmp(key, "height") == 0)
    lua_pushinteger(lua, (*picture)->height);
  else
    lua_pushnil(lua);
  return 1;
}

int PictureHandles::name(lua_State *lua) const {
  const auto *picture = at(lua, 1);
  if (picture == nullptr) return luaL_error(lua, "not a picture");
  lua_pushfstring(lua, "picture %dx%d", static_cast<int>((*picture)->width),
                  static_cast<int>((*picture)->height));
  return 1;
}

int PictureHandles::collect(lua_State *lua) {
  pictures_.erase(serial_at(lua, 1));
  return 0;
}

}  // namespace kroplay
