#include "kroplay/script/lua_guards.h"

#include <cstddef>
#include <lua.hpp>

namespace kroplay {
namespace {

// The originals, called straight from C so that no script reaches them.
lua_CFunction coroutine_close = nullptr;
lua_CFunction io_write = nullptr;
lua_CFunction io_read = nullptr;
lua_CFunction debug_setmetatable = nullptr;

// C stack a script may use: well within the smallest stack kroplay runs
// on (the Windows build's main thread and the preview's worker thread),
// with room for the C calls Lua counts itself between two checks.
constexpr std::ptrdiff_t kStackBudget = 1 << 20;

thread_local const char *stack_base = nullptr;

// Bytes of C stack in use below the mark (stacks grow downwards on every
// platform kroplay is built for).
std::ptrdiff_t stack_in_use() {
  const char *here = static_cast<const char *>(__builtin_frame_address(0));
  return stack_base == nullptr ? 0 : stack_base - here;
}

// coroutine.close(co)
int guarded_close(lua_State *lua) {
  if (stack_in_use() > kStackBudget)
    return luaL_error(lua, "coroutine.close: C stack overflow (closes nested too deeply)");
  return coroutine_close(lua);
}

// Raises a Lua error unless the registry's `slot` holds an open-or-closed
// file handle, which is what `function` reads without checking.
void check_default_file(lua_State *lua, const char *slot, const char *function) {
  lua_getfield(lua, LUA_REGISTRYINDEX, slot);
  const bool file =
      lua_type(lua, -1) == LUA_TUSERDATA && luaL_testudata(lua, -1, LUA_FILEHANDLE) != nullptr;
  lua_pop(lua, 1);
  if (!file) luaL_error(lua, "%s: the default %s is not a file", function, slot + 4);
}

// io.write(...)
int guarded_write(lua_State *lua) {
  check_default_file(lua, "_IO_output", "io.write");
  return io_write(lua);
}

// io.read(...)
int guarded_read(lua_State *lua) {
  check_default_file(lua, "_IO_input", "io.read");
  return io_read(lua);
}

// debug.setmetatable(value, table)
int guarded_setmetatable(lua_State *lua) {
  if (lua_type(lua, 1) == LUA_TLIGHTUSERDATA)
    return luaL_error(lua, "debug.setmetatable: kroplay keeps light userdata without a metatable");
  return debug_setmetatable(lua);
}

}  // namespace

void guard_lua_weak_spots(lua_State *lua) {
  coroutine_close = replace_library_function(lua, "coroutine", "close", guarded_close);
  io_write = replace_library_function(lua, "io", "write", guarded_write);
  io_read = replace_library_function(lua, "io", "read", guarded_read);
  debug_setmetatable = replace_library_function(lua, "debug", "setmetatable", guarded_setmetatable);
}

lua_CFunction replace_library_function(lua_State *lua, const char *library, const char *name,
                                       lua_CFunction replacement) {
  lua_CFunction original = nullptr;
  if (lua_getglobal(lua, library) == LUA_TTABLE) {
    lua_getfield(lua, -1, name);
    original = lua_tocfunction(lua, -1);
    lua_pop(lua, 1);
    if (original != nullptr) {
      lua_pushcfunction(lua, replacement);
      lua_setfield(lua, -2, name);
    }
  }
  lua_pop(lua, 1);
  return original;
}

void mark_lua_stack_base() {
  stack_base = static_cast<const char *>(__builtin_frame_address(0));
}

}  // namespace kroplay
