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

// Raises `message` after the file and line of the nearest Lua function
// calling: a metamethod is called by C functions (tostring, print), which
// luaL_error's position would name.
int raise_at_script_line(lua_State *lua, const char *message) {
  lua_Debug caller;
  for (int level = 1; lua_getstack(lua, level, &caller) != 0; ++level)
    if (lua_getinfo(lua, "Sl", &caller) != 0 && caller.currentline > 0)
      return luaL_error(lua, "%s:%d: %s", caller.short_src, caller.currentline, message);
  return luaL_error(lua, "%s", message);
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

uint64_t PictureHandles::add(std::shared_ptr<const Picture> picture, SpriteColours colours) {
  pictures_.emplace(next_, std::move(picture));
  colours_.emplace(next_, std::move(colours));
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

SpriteColours *PictureHandles::colours_at(lua_State *lua, int index) {
  const auto found = colours_.find(serial_at(lua, index));
  return found != colours_.end() ? &found->second : nullptr;
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
  // Only a picture a finalizer kept past its own finalizer has none.
  if (picture == nullptr)
    return raise_at_script_line(lua, "tostring: the picture was collected already");
  lua_pushfstring(lua, "picture %dx%d", static_cast<int>((*picture)->width),
                  static_cast<int>((*picture)->height));
  return 1;
}

int PictureHandles::collect(lua_State *lua) {
  const uint64_t serial = serial_at(lua, 1);
  pictures_.erase(serial);
  colours_.erase(serial);
  return 0;
}

}  // namespace kroplay
