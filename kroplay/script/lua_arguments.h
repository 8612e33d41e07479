// Reading the arguments of a Lua call into kroplay's functions: each check
// that fails raises a Lua error naming the function and the argument.
#ifndef KROPLAY_LUA_ARGUMENTS_H
#define KROPLAY_LUA_ARGUMENTS_H

#include <cstdint>

struct lua_State;

namespace kroplay {

// The call has `min` to `max` arguments.
void check_argument_count(lua_State *lua, const char *name, int min, int max);
// Argument `index` as a 32-bit integer: a Lua integer, or a float with an
// exact integer value.
int32_t integer_argument(lua_State *lua, const char *name, int index);
// The same, from `low` to `high`.
int32_t integer_argument_in(lua_State *lua, const char *name, int index, int32_t low, int32_t high);
// Argument `index` as a string without zero bytes (which would end it early
// in C); `what` says what it should be in the message.
const char *string_argument(lua_State *lua, const char *name, int index, const char *what);

}  // namespace kroplay

#endif  // KROPLAY_LUA_ARGUMENTS_H
