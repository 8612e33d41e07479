// The pictures a script holds. Each is behind a Lua object (a userdata
// holding the picture's number, with its own metatable): the script sees
// only its width and height, and the picture goes when the object is
// collected.
#ifndef KROPLAY_PICTURE_HANDLES_H
#define KROPLAY_PICTURE_HANDLES_H

#include <cstdint>
#include <memory>
#include <unordered_map>

#include "kroplay/base/picture.h"
#include "kroplay/picture/sprite_colours.h"

struct lua_State;
struct luaL_Reg;

namespace kroplay {

class PictureHandles {
 public:
  // Creates the objects' metatable with `methods` (__index, __tostring,
  // __gc: index(), name() and collect() called through the script's
  // state); getmetatable(picture) gives "picture".
  static void create_metatable(lua_State *lua, const luaL_Reg *methods);

  // Keeps `picture` and what is known of its colours; returns its number.
  // Throws std::bad_alloc.
  uint64_t add(std::shared_ptr<const Picture> picture, SpriteColours colours);
  // Makes the userdata `object` (of 8 bytes, on top of the stack) the
  // object of picture `serial`.
  static void make_object(lua_State *lua, void *object, uint64_t serial);
  // The picture whose object is at `index`, or null if it is no such object
  // or not one this script holds.
  const std::shared_ptr<const Picture> *at(lua_State *lua, int index) const;
  // Whether that picture shows its own colours; null as at() is.
  SpriteColours *colours_at(lua_State *lua, int index);

  // [-0, +1] object.width, object.height; nil for any other key.
  int index(lua_State *lua) const;
  // [-0, +1] "picture WxH".
  int name(lua_State *lua) const;
  // [-0, +0] Drops the collected object's picture (a queued drawing may
  // still hold it).
  int collect(lua_State *lua);

 private:
  std::unordered_map<uint64_t, std::shared_ptr<const Picture>> pictures_;
  std::unordered_map<uint64_t, SpriteColours> colours_;
  uint64_t next_ = 1;
};

}  // namespace kroplay

#endif  // KROPLAY_PICTURE_HANDLES_H
