#include "kroplay/script/script_api.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <lua.hpp>
#include <new>
#include <utility>

#include "kroplay/gif/gif_loader.h"
#include "kroplay/host/host_runtime.h"
#include "kroplay/host/quoted.h"
#include "kroplay/host/screen_limits.h"
#include "kroplay/script/child_processes.h"
#include "kroplay/script/lua_guards.h"
#include "kroplay/script/text_chunks.h"

// Lua reports errors with longjmp, which skips C++ destructors: in the
// functions below, nothing with a destructor is alive when a Lua error is
// raised. Work that needs such objects happens in ScriptApi members that
// return false and leave their reason in error_message_.

namespace kroplay {
namespace {

// The ScriptApi lives in the state's extra space (which every coroutine
// copies), out of reach of the debug library; kroplay's functions keep no
// pointer in an upvalue a script could replace.
ScriptApi *&api_slot(lua_State *lua) {
  return *static_cast<ScriptApi **>(lua_getextraspace(lua));
}

void check_count(lua_State *lua, const char *name, int min, int max) {
  const int n = lua_gettop(lua);
  if (n >= min && n <= max) return;
  if (min == max)
    luaL_error(lua, "%s: expected %d argument%s, got %d", name, min, min == 1 ? "" : "s", n);
  luaL_error(lua, "%s: expected %d to %d arguments, got %d", name, min, max, n);
}

// Argument `index` as a 32-bit integer, or a Lua error.
int32_t integer(lua_State *lua, const char *name, int index) {
  if (lua_type(lua, index) != LUA_TNUMBER)
    luaL_error(lua, "%s: argument %d must be an integer, got %s", name, index,
               luaL_typename(lua, index));
  int exact = 0;
  const lua_Integer value = lua_tointegerx(lua, index, &exact);
  if (!exact)
    luaL_error(lua, "%s: argument %d must be an integer, got %s", name, index,
               luaL_tolstring(lua, index, nullptr));
  if (value < INT32_MIN || value > INT32_MAX)
    luaL_error(lua, "%s: argument %d must be an integer from -2147483648 to 2147483647, got %I",
               name, index, static_cast<LUAI_UACINT>(value));
  return static_cast<int32_t>(value);
}

// Argument `index` as an integer from `low` to `high`, or a Lua error.
int32_t integer_in(lua_State *lua, const char *name, int index, int32_t low, int32_t high) {
  const int32_t value = integer(lua, name, index);
  if (value < low || value > high)
    luaL_error(lua, "%s: argument %d must be from %d to %d, got %d", name, index, low, high, value);
  return value;
}

// Argument `index` as a string without zero bytes (which would end it
// early in C), or a Lua error.
const char *string(lua_State *lua, const char *name, int index, const char *what) {
  if (lua_type(lua, index) != LUA_TSTRING)
    luaL_error(lua, "%s: argument %d must be %s, got %s", name, index, what,
               luaL_typename(lua, index));
  size_t length = 0;
  const char *text = lua_tolstring(lua, index, &length);
  if (std::strlen(text) != length)
    luaL_error(lua, "%s: argument %d contains a zero byte", name, index);
  return text;
}

// Keeps error messages to one line of text whatever the script raised.
int message_handler(lua_State *lua) {
  if (lua_type(lua, 1) == LUA_TSTRING) return 1;
  if (luaL_callmeta(lua, 1, "__tostring") && lua_type(lua, -1) == LUA_TSTRING) return 1;
  lua_pushfstring(lua, "(error object is a %s value)", luaL_typename(lua, 1));
  return 1;
}

// Bytes of a script's error message that kroplay keeps.
constexpr size_t kMessageBytes = 1000;

std::string describe(const std::exception_ptr &error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception &e) {
    return e.what();
  } catch (...) {
    return "unknown error";
  }
}

}  // namespace

template <typename Body>
bool ScriptApi::guard(Body &&body) {
  try {
    body();
    return true;
  } catch (...) {
    fatal_ = std::current_exception();
    fatal_message_ = describe(fatal_);
    return false;
  }
}

struct ScriptApi::Bindings {
  // Raises the fatal error again. With a watchdog, the hook then fires at
  // every instruction of this coroutine and raises it each time, so a
  // script's pcall holds it back for one instruction at most.
  static int raise_fatal(lua_State *lua, ScriptApi &api) {
    if (api.watchdog_) lua_sethook(lua, watchdog, LUA_MASKCOUNT, 1);
    return luaL_error(lua, "%s", api.fatal_message_.c_str());
  }

  // The API for a call of `name`, or a Lua error once the run has ended or
  // a fatal error has stopped it.
  static ScriptApi &enter(lua_State *lua, const char *name) {
    ScriptApi &api = *api_slot(lua);
    if (api.ended_) luaL_error(lua, "%s: the run has ended", name);
    if (api.fatal_) raise_fatal(lua, api);
    if (api.exit_status_) raise_exit(lua);
    return api;
  }

  static int plugin_function(lua_State *lua) {
    ScriptApi &api = *api_slot(lua);
    // The function's number, its one upvalue: the debug library can change it.
    const int upvalue = lua_upvalueindex(1);
    const auto &functions = api.runtime_.functions();
    if (!lua_isinteger(lua, upvalue) || lua_tointeger(lua, upvalue) < 0 ||
        static_cast<lua_Unsigned>(lua_tointeger(lua, upvalue)) >= functions.size())
      return luaL_error(lua, "a plug-in function's binding was changed");
    const size_t index = static_cast<size_t>(lua_tointeger(lua, upvalue));
    const ScriptFunction &f = functions[index];
    const char *name = f.name.c_str();
    enter(lua, name);
    check_count(lua, name, f.parameter_count, f.parameter_count);
    int32_t arguments[HostRuntime::kMaxParameters];
    for (int i = 0; i < f.parameter_count; ++i) arguments[i] = integer(lua, name, i + 1);
    int32_t result = 0;
    if (!api.guard([&] { result = api.call_registered(index, arguments); }))
      return raise_fatal(lua, api);
    lua_pushinteger(lua, result);
    return 1;
  }

  static int frame(lua_State *lua) {
    ScriptApi &api = enter(lua, "frame");
    check_count(lua, "frame", 0, 1);
    const int32_t n = lua_gettop(lua) == 0 ? 1 : integer_in(lua, "frame", 1, 0, INT32_MAX);
    const bool ok = api.guard([&] {
      for (int32_t i = 0; i < n; ++i) {
        api.runtime_.compose_frame();
        api.sink_.frame_composed(api.runtime_);
      }
    });
    return ok ? 0 : raise_fatal(lua, api);
  }

  static int screen(lua_State *lua) {
    ScriptApi &api = enter(lua, "screen");
    check_count(lua, "screen", 2, 2);
    const int32_t w = integer(lua, "screen", 1), h = integer(lua, "screen", 2);
    if (!valid_screen_size(w, h))
      return luaL_error(lua, "screen: %dx%d is out of range (each side 1..%d, at most %I pixels)",
                        w, h, kMaxScreenSide, static_cast<LUAI_UACINT>(kMaxScreenPixels));
    return api.guard([&] { api.runtime_.resize(w, h); }) ? 0 : raise_fatal(lua, api);
  }

  static int color(lua_State *lua) {
    ScriptApi &api = enter(lua, "color");
    check_count(lua, "color", 4, 4);
    // Every argument is checked before the entry changes: a refused call
    // changes nothing.
    int32_t values[4];
    for (int n = 0; n < 4; ++n) values[n] = integer_in(lua, "color", n + 1, 0, 255);
    for (int c = 0; c < 3; ++c)
      api.runtime_.palette()[static_cast<size_t>(3 * values[0] + c)] =
          static_cast<uint8_t>(values[1 + c]);
    return 0;
  }

  static int palette(lua_State *lua) {
    ScriptApi &api = enter(lua, "palette");
    check_count(lua, "palette", 1, 1);
    const char *name = string(lua, "palette", 1, "a palette name");
    if (!api.pick_palette(name)) return luaL_error(lua, "palette: %s", api.error_message_.c_str());
    return 0;
  }

  static int load_background(lua_State *lua) {
    ScriptApi &api = enter(lua, "load_background");
    check_count(lua, "load_background", 1, 1);
    const char *path = string(lua, "load_background", 1, "a file name");
    if (!api.load_background(path))
      return luaL_error(lua, "load_background: %s", api.error_message_.c_str());
    return 0;
  }

  static int read_pixel(lua_State *lua, const char *name, bool background) {
    ScriptApi &api = enter(lua, name);
    check_count(lua, name, 2, 2);
    const int32_t x = integer(lua, name, 1), y = integer(lua, name, 2);
    const int32_t w = api.runtime_.width(), h = api.runtime_.height();
    if (x < 0 || y < 0 || x >= w || y >= h)
      return luaL_error(lua, "%s: (%d, %d) is outside the %dx%d screen", name, x, y, w, h);
    const uint8_t *bitmap = background ? api.runtime_.background() : api.runtime_.frame();
    lua_pushinteger(
        lua, bitmap[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)]);
    return 1;
  }
  static void watchdog(lua_State *lua, lua_Debug *) {
    ScriptApi &api = *api_slot(lua);
    if (api.exit_status_) raise_exit(lua);
    if (api.fatal_ || (api.watchdog_ && !api.guard(api.watchdog_))) raise_fatal(lua, api);
  }

  // The stop os.exit raises. A script that catches it with pcall, or a
  // coroutine's resume, meets it again at its next instruction, through the
  // hook (hooks are per thread: the caller's and the main one), and at its
  // next call of a host or plug-in function.
  static int raise_exit(lua_State *lua) {
    lua_pushliteral(lua, "os.exit");
    return lua_error(lua);
  }

  static int os_exit(lua_State *lua) {
    ScriptApi &api = *api_slot(lua);
    int status = 0;
    if (lua_isboolean(lua, 1))
      status = lua_toboolean(lua, 1) ? 0 : 1;
    else
      status = static_cast<int>(luaL_optinteger(lua, 1, 0));
    api.exit_status_ = status;
    lua_sethook(lua, watchdog, LUA_MASKCOUNT, 1);
    if (api.lua_ != nullptr) lua_sethook(api.lua_, watchdog, LUA_MASKCOUNT, 1);
    return raise_exit(lua);
  }

  static int print(lua_State *lua) {
    ScriptApi &api = *api_slot(lua);
    if (api.before_print_) api.before_print_();
    const int n = lua_gettop(lua);
    for (int i = 1; i <= n; ++i) {
      size_t length = 0;
      const char *text = luaL_tolstring(lua, i, &length);
      if (i > 1) std::fputc('\t', api.print_out_);
      std::fwrite(text, 1, length, api.print_out_);
      lua_pop(lua, 1);
    }
    std::fputc('\n', api.print_out_);
    std::fflush(api.print_out_);
    return 0;
  }

  static int refuse_sethook(lua_State *lua) {
    return luaL_error(lua, "debug.sethook: kroplay keeps the hook to stay responsive");
  }

  static int pixel(lua_State *lua) { return read_pixel(lua, "pixel", false); }
  static int background_pixel(lua_State *lua) { return read_pixel(lua, "background_pixel", true); }
};

const std::vector<std::string> &ScriptApi::host_function_names() {
  static const std::vector<std::string> names = {
      "frame", "screen", "color", "palette", "load_background", "pixel", "background_pixel"};
  return names;
}

ScriptApi::ScriptApi(HostRuntime &runtime, FrameSink &sink)
    : lua_(luaL_newstate()), runtime_(runtime), sink_(sink) {
  if (lua_ == nullptr) throw std::bad_alloc();
  api_slot(lua_) = this;
  luaL_openlibs(lua_);
  allow_text_chunks_only(lua_);
  guard_lua_weak_spots(lua_);
  keep_child_processes(lua_);
  const std::pair<const char *, lua_CFunction> functions[] = {
      {"frame", Bindings::frame},
      {"screen", Bindings::screen},
      {"color", Bindings::color},
      {"palette", Bindings::palette},
      {"load_background", Bindings::load_background},
      {"pixel", Bindings::pixel},
      {"background_pixel", Bindings::background_pixel}};
  for (const auto &f : functions) lua_register(lua_, f.first, f.second);
  lua_register(lua_, "print", Bindings::print);
  // os.exit ends the script, not kroplay, so that its frames are kept.
  lua_getglobal(lua_, "os");
  lua_pushcfunction(lua_, Bindings::os_exit);
  lua_setfield(lua_, -2, "exit");
  lua_pop(lua_, 1);
}

ScriptApi::~ScriptApi() {
  close();
}

void ScriptApi::close() {
  if (lua_ == nullptr) return;
  ended_ = true;
  mark_lua_stack_base();
  lua_close(lua_);
  lua_ = nullptr;
}

void ScriptApi::load_status(int status) {
  if (status == LUA_OK) return;
  const char *message = lua_tostring(lua_, -1);
  const std::string text = message != nullptr ? message : "cannot load the script";
  lua_pop(lua_, 1);
  throw ScriptError(text);
}

void ScriptApi::load_file(const std::string &path) {
  const int status = luaL_loadfilex(lua_, path.c_str(), kTextOnly);
  // Lua's refusal of a binary chunk does not name the file.
  if (status == LUA_ERRSYNTAX && std::strncmp(lua_tostring(lua_, -1), "attempt to load", 15) == 0) {
    lua_pushfstring(lua_, "%s: %s", path.c_str(), lua_tostring(lua_, -1));
    lua_remove(lua_, -2);
  }
  load_status(status);
  const size_t slash = path.find_last_of('/');
  base_folder_ = slash == std::string::npos ? "" : path.substr(0, slash == 0 ? 1 : slash);
}

void ScriptApi::load_source(std::string_view source, const std::string &chunk_name) {
  load_status(
      luaL_loadbufferx(lua_, source.data(), source.size(), ("=" + chunk_name).c_str(), kTextOnly));
}

void ScriptApi::bind_plugin_functions() {
  const auto &functions = runtime_.functions();
  for (size_t i = 0; i < functions.size(); ++i) {
    const auto &hosts = host_function_names();
    if (std::find(hosts.begin(), hosts.end(), functions[i].name) != hosts.end())
      throw ContractError("the plug-in registered '" + functions[i].name +
                          "', which is one of kroplay's own script functions");
    lua_pushinteger(lua_, static_cast<lua_Integer>(i));
    lua_pushcclosure(lua_, Bindings::plugin_function, 1);
    lua_setglobal(lua_, functions[i].name.c_str());
  }
}

int32_t ScriptApi::call_registered(size_t index, const int32_t *arguments) {
  const ScriptFunction &f = runtime_.functions()[index];
  const int32_t result = runtime_.call(index, arguments);
  sink_.function_called(f.name, arguments, f.parameter_count);
  return result;
}

bool ScriptApi::call(const std::string &name, const int32_t *arguments, int count,
                     int32_t &result) {
  if (ended_ || fatal_) return false;
  const auto &functions = runtime_.functions();
  for (size_t i = 0; i < functions.size(); ++i) {
    if (functions[i].name != name || functions[i].parameter_count != count) continue;
    result = call_registered(i, arguments);
    return true;
  }
  return false;
}

void ScriptApi::run() {
  // The loaded chunk is on top; the message handler goes beneath it.
  lua_pushcfunction(lua_, message_handler);
  lua_insert(lua_, -2);
  mark_lua_stack_base();
  const int status = lua_pcall(lua_, 0, 0, -2);
  if (fatal_) std::rethrow_exception(fatal_);
  if (status != LUA_OK && !exit_status_) {
    size_t length = 0;
    const char *message = lua_tolstring(lua_, -1, &length);
    // A huge message is cut to its start and length.
    const std::string text = message != nullptr
                                 ? shortened(std::string_view(message, length), kMessageBytes)
                                 : "the script failed";
    lua_settop(lua_, 0);
    throw ScriptError(text);
  }
  lua_settop(lua_, 0);
}

void ScriptApi::set_watchdog(std::function<void()> check, int instructions) {
  watchdog_ = std::move(check);
  // Coroutines inherit the hook from the thread that creates them; no
  // script can remove or replace it.
  lua_sethook(lua_, Bindings::watchdog, LUA_MASKCOUNT, instructions);
  lua_getglobal(lua_, "debug");
  if (lua_istable(lua_, -1)) {
    lua_pushcfunction(lua_, Bindings::refuse_sethook);
    lua_setfield(lua_, -2, "sethook");
  }
  lua_pop(lua_, 1);
}

void ScriptApi::set_print_stream(std::FILE *out, std::function<void()> before) {
  print_out_ = out;
  before_print_ = std::move(before);
  send_child_output_to_stderr(out == stderr);
  // io.write writes to the default output; io.stdout is what scripts name.
  if (out != stderr) return;
  if (lua_getglobal(lua_, "io") != LUA_TTABLE) {
    lua_pop(lua_, 1);
    return;
  }
  lua_getfield(lua_, -1, "stderr");
  lua_setfield(lua_, -2, "stdout");
  lua_getfield(lua_, -1, "output");
  lua_getfield(lua_, -2, "stderr");
  lua_call(lua_, 1, 0);
  lua_pop(lua_, 1);
}

bool ScriptApi::pick_palette(const char *name) {
  if (builtin_palette(name, runtime_.palette())) return true;
  error_message_ = "no built-in palette " + quoted(name) + " (there are";
  for (const std::string &known : palette_names()) error_message_ += " " + known;
  error_message_ += ")";
  return false;
}

bool ScriptApi::load_background(const char *path) {
  try {
    const LoadedBackground loaded =
        load_gif_background(path, runtime_.width(), runtime_.height(), base_folder_);
    std::copy(loaded.pixels.begin(), loaded.pixels.end(), runtime_.background());
    std::copy(loaded.colors.begin(), loaded.colors.end(), runtime_.palette().begin());
    return true;
  } catch (const std::exception &e) {
    error_message_ = e.what();
    return false;
  }
}

}  // namespace kroplay
