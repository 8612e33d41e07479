// Guards around the few standard library functions that crash Lua 5.4.4
// (the release kroplay is built with) when a script drives them into a
// corner, so that the script gets a Lua error instead:
//   coroutine.close  nested through __close handlers, each closed coroutine
//                    starts Lua's C-call count afresh and the C stack
//                    overflows; the guard measures the C stack itself.
//   io.write/io.read with the default output or input removed from the
//                    registry (or replaced by a non-file) read a null
//                    stream; the guard checks the registry entry first.
//   debug.setmetatable on a light userdata could give every light userdata
//                    the file handles' metatable, and file methods would
//                    then take an address for a stream; that is refused.
#ifndef KROPLAY_LUA_GUARDS_H
#define KROPLAY_LUA_GUARDS_H

#include <lua.hpp>

namespace kroplay {

// Replaces those functions in `lua` (standard libraries opened already).
void guard_lua_weak_spots(lua_State *lua);

// Replaces the C function `library`.`name` by `replacement` and returns
// the original (for the replacement to call straight from C, out of any
// script's reach); nullptr, replacing nothing, if there is no such C
// function. Stack effect [-0, +0].
lua_CFunction replace_library_function(lua_State *lua, const char *library, const char *name,
                                       lua_CFunction replacement);

// Marks the calling frame as the bottom of the C stack a script may use
// on this thread; the stack guard counts from here. Call it where Lua is
// entered (running the script, closing the state).
void mark_lua_stack_base();

}  // namespace kroplay

#endif  // KROPLAY_LUA_GUARDS_H
