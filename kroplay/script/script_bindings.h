// The Lua C functions of ScriptApi, shared by its two source files:
// script_api.cpp (running the script: plug-in functions, errors, the
// watchdog, os.exit, print, pictures' methods) and script_functions.cpp
// (kroplay's own script functions, in one table).
//
// Lua reports errors with longjmp, which skips C++ destructors: in these
// functions, nothing with a destructor is alive when a Lua error is raised.
// Work that needs such objects happens in ScriptApi members that return
// false and leave their reason in error_message_.
#ifndef KROPLAY_SCRIPT_BINDINGS_H
#define KROPLAY_SCRIPT_BINDINGS_H

#include <exception>
#include <lua.hpp>
#include <string>

#include "kroplay/script/script_api.h"

namespace kroplay {

// The ScriptApi lives in the state's extra space (which every coroutine
// copies), out of reach of the debug library; kroplay's functions keep no
// pointer in an upvalue a script could replace.
inline ScriptApi *&api_slot(lua_State *lua) {
  return *static_cast<ScriptApi **>(lua_getextraspace(lua));
}

template <typename Body>
bool ScriptApi::guard(Body &&body) {
  try {
    body();
    return true;
  } catch (...) {
    fatal_ = std::current_exception();
    try {
      std::rethrow_exception(fatal_);
    } catch (const std::exception &e) {
      fatal_message_ = e.what();
    } catch (...) {
      fatal_message_ = "unknown error";
    }
    return false;
  }
}

struct ScriptApi::Bindings {
  // kroplay's own script functions, ending with {nullptr, nullptr}.
  static const luaL_Reg kHostFunctions[];

  // Raises the fatal error again. With a watchdog, the hook then fires at
  // every instruction of this coroutine and raises it each time, so a
  // script's pcall holds it back for one instruction at most.
  static int raise_fatal(lua_State *lua, ScriptApi &api);
  // The API for a call of `name`, or a Lua error once the run has ended or
  // a fatal error has stopped it.
  static ScriptApi &enter(lua_State *lua, const char *name);
  // Ends the script as if it had reached its end.
  static int stop(lua_State *lua, ScriptApi &api);

  // script_api.cpp
  static int message_handler(lua_State *lua);
  static int plugin_function(lua_State *lua);
  static int module_found(lua_State *lua);
  static void watchdog(lua_State *lua, lua_Debug *);
  static int raise_exit(lua_State *lua);
  static int os_exit(lua_State *lua);
  static int refuse_sethook(lua_State *lua);
  static int print(lua_State *lua);
  static int picture_index(lua_State *lua);
  static int picture_tostring(lua_State *lua);
  static int picture_gc(lua_State *lua);

  // script_functions.cpp
  static int frame(lua_State *lua);
  static int screen(lua_State *lua);
  static int color(lua_State *lua);
  static int palette(lua_State *lua);
  static int load_background(lua_State *lua);
  static int read_pixel(lua_State *lua, const char *name, bool background);
  static int pixel(lua_State *lua);
  static int background_pixel(lua_State *lua);
  static int load_picture(lua_State *lua);
  static int sprite(lua_State *lua);
  static int rect(lua_State *lua);
  static int text(lua_State *lua);
};

}  // namespace kroplay

#endif  // KROPLAY_SCRIPT_BINDINGS_H
