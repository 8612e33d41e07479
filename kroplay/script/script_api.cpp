#include "kroplay/script/script_api.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <lua.hpp>
#include <new>
#include <utility>

#include "kroplay/base/nearest_name.h"
#include "kroplay/base/path_name.h"
#include "kroplay/base/quoted.h"
#include "kroplay/base/screen_limits.h"
#include "kroplay/host/host_runtime.h"
#include "kroplay/overlay/pixel_font.h"
#include "kroplay/picture/picture_file.h"
#include "kroplay/picture/regular_file.h"
#include "kroplay/script/child_processes.h"
#include "kroplay/script/lua_guards.h"
#include "kroplay/script/module_search.h"
#include "kroplay/script/script_file.h"
#include "kroplay/script/source_text_only.h"

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

// The metatable of pictures' Lua objects.
constexpr const char *kPictureType = "kroplay.picture";

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
    if (api.stopped_) raise_exit(lua);
    return api;
  }

  // Keeps error messages to one line of text whatever the script raised, and
  // names the function a misspelt call most likely meant.
  static int message_handler(lua_State *lua) {
    if (lua_type(lua, 1) == LUA_TSTRING) {
      api_slot(lua)->suggest_function(lua);
      return 1;
    }
    if (luaL_callmeta(lua, 1, "__tostring") && lua_type(lua, -1) == LUA_TSTRING) return 1;
    lua_pushfstring(lua, "(error object is a %s value)", luaL_typename(lua, 1));
    return 1;
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
      try {
        for (int32_t i = 0; i < n; ++i) {
          api.compose_frame();
          api.sink_.frame_composed(api.runtime_);
        }
      } catch (const EndOfRun &) {
        api.stopped_ = true;
      }
    });
    // The drawings were for this call's frames only, as a game draws its
    // sprites anew each frame.
    api.overlay_.clear();
    api.drawn_pictures_.clear();
    if (!ok) return raise_fatal(lua, api);
    return api.stopped_ ? stop(lua, api) : 0;
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
  // The number of the picture whose Lua object is at `index`; 0 if it is
  // no such object.
  static uint64_t picture_serial(lua_State *lua, int index) {
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

  // The picture at `index`, or null if it is not one the script holds.
  static const Picture *picture_at(lua_State *lua, int index) {
    const ScriptApi &api = *api_slot(lua);
    const auto found = api.pictures_.find(picture_serial(lua, index));
    return found != api.pictures_.end() ? found->second.get() : nullptr;
  }

  // [-0, +1] load_picture(path [, take_colours]): a picture object, whose
  // pixels kroplay keeps; the script sees only its width and height.
  static int load_picture(lua_State *lua) {
    ScriptApi &api = enter(lua, "load_picture");
    check_count(lua, "load_picture", 1, 2);
    const char *path = string(lua, "load_picture", 1, "a file name");
    if (!lua_isnoneornil(lua, 2) && !lua_isboolean(lua, 2))
      return luaL_error(lua, "load_picture: argument 2 must be true or false, got %s",
                        luaL_typename(lua, 2));
    const bool take_colours = lua_toboolean(lua, 2);
    void *object = lua_newuserdatauv(lua, sizeof(uint64_t), 0);
    uint64_t serial = 0;
    if (!api.load_picture(path, take_colours, serial)) {
      if (api.fatal_) return raise_fatal(lua, api);
      return luaL_error(lua, "load_picture: %s", api.error_message_.c_str());
    }
    std::memcpy(object, &serial, sizeof serial);
    luaL_setmetatable(lua, kPictureType);
    // Lua does not see the pixels' memory: a collection step as if they
    // were its own, so that dropped pictures do not pile up.
    const size_t bytes = api.pictures_.find(serial)->second->pixels.size();
    lua_gc(lua, LUA_GCSTEP, static_cast<int>(bytes >> 10));
    return 1;
  }

  // [-0, +1] picture.width, picture.height; nil for any other key.
  static int picture_index(lua_State *lua) {
    const Picture *picture = picture_at(lua, 1);
    const char *key = lua_type(lua, 2) == LUA_TSTRING ? lua_tostring(lua, 2) : "";
    if (picture != nullptr && std::strcmp(key, "width") == 0)
      lua_pushinteger(lua, picture->width);
    else if (picture != nullptr && std::strcmp(key, "height") == 0)
      lua_pushinteger(lua, picture->height);
    else
      lua_pushnil(lua);
    return 1;
  }

  // Raises `message` after the file and line of the nearest Lua function
  // calling: a metamethod is called by C functions (tostring, print), which
  // luaL_error's position would name.
  static int raise_at_script_line(lua_State *lua, const char *message) {
    lua_Debug caller;
    for (int level = 1; lua_getstack(lua, level, &caller) != 0; ++level)
      if (lua_getinfo(lua, "Sl", &caller) != 0 && caller.currentline > 0)
        return luaL_error(lua, "%s:%d: %s", caller.short_src, caller.currentline, message);
    return luaL_error(lua, "%s", message);
  }

  // [-0, +1] tostring(picture): "picture WxH".
  static int picture_tostring(lua_State *lua) {
    const Picture *picture = picture_at(lua, 1);
    // Only a picture a finalizer kept past its own finalizer has none.
    if (picture == nullptr)
      return raise_at_script_line(lua, "tostring: the picture was collected already");
    lua_pushfstring(lua, "picture %dx%d", static_cast<int>(picture->width),
                    static_cast<int>(picture->height));
    return 1;
  }

  // [-0, +0] The collected picture's pixels go, unless a queued drawing
  // still shows them.
  static int picture_gc(lua_State *lua) {
    api_slot(lua)->pictures_.erase(picture_serial(lua, 1));
    api_slot(lua)->sprite_colours_.erase(picture_serial(lua, 1));
    return 0;
  }

  // The colour argument of the drawing functions.
  static uint8_t colour(lua_State *lua, const char *name, int index) {
    return static_cast<uint8_t>(integer_in(lua, name, index, 0, 255));
  }

  // [-0, +0] sprite(picture, x, y), for the next frame() call.
  static int sprite(lua_State *lua) {
    ScriptApi &api = enter(lua, "sprite");
    check_count(lua, "sprite", 3, 3);
    const uint64_t serial = picture_at(lua, 1) != nullptr ? picture_serial(lua, 1) : 0;
    if (serial == 0)
      return luaL_error(lua, "sprite: argument 1 must be a picture from load_picture, got %s",
                        luaL_typename(lua, 1));
    const int32_t x = integer(lua, "sprite", 2), y = integer(lua, "sprite", 3);
    if (!api.draw_sprite(serial, x, y))
      return luaL_error(lua, "sprite: %s", api.error_message_.c_str());
    return 0;
  }

  // [-0, +0] rect(x, y, w, h, colour), for the next frame() call.
  static int rect(lua_State *lua) {
    ScriptApi &api = enter(lua, "rect");
    check_count(lua, "rect", 5, 5);
    const int32_t x = integer(lua, "rect", 1), y = integer(lua, "rect", 2);
    const int32_t w = integer_in(lua, "rect", 3, 0, INT32_MAX);
    const int32_t h = integer_in(lua, "rect", 4, 0, INT32_MAX);
    if (!api.draw_rect(x, y, w, h, colour(lua, "rect", 5)))
      return luaL_error(lua, "rect: %s", api.error_message_.c_str());
    return 0;
  }

  // [-0, +0] text(x, y, string, colour), for the next frame() call.
  static int text(lua_State *lua) {
    ScriptApi &api = enter(lua, "text");
    check_count(lua, "text", 4, 4);
    const int32_t x = integer(lua, "text", 1), y = integer(lua, "text", 2);
    if (lua_type(lua, 3) != LUA_TSTRING)
      return luaL_error(lua, "text: argument 3 must be a string, got %s", luaL_typename(lua, 3));
    size_t length = 0;
    const char *chars = lua_tolstring(lua, 3, &length);
    for (size_t i = 0; i < length; ++i)
      if (chars[i] != '\n' && !has_glyph(chars[i]))
        return luaL_error(lua,
                          "text: argument 3 has byte %d at position %I, which the font lacks "
                          "(it has ASCII 32 to 126; \\n starts a new line)",
                          static_cast<int>(static_cast<unsigned char>(chars[i])),
                          static_cast<lua_Integer>(i + 1));
    if (!api.draw_text(x, y, std::string_view(chars, length), colour(lua, "text", 4)))
      return luaL_error(lua, "text: %s", api.error_message_.c_str());
    return 0;
  }

  // [-0, +0] kroplay.found of require's searcher: a module file it is
  // about to compile.
  static int module_found(lua_State *lua) {
    ScriptApi &api = *api_slot(lua);
    if (lua_type(lua, 1) == LUA_TSTRING && !api.ended_ && !api.note_file(lua_tostring(lua, 1), ""))
      return raise_fatal(lua, api);
    return 0;
  }

  static void watchdog(lua_State *lua, lua_Debug *) {
    ScriptApi &api = *api_slot(lua);
    if (api.stopped_) raise_exit(lua);
    if (api.fatal_ || (api.watchdog_ && !api.guard(api.watchdog_))) raise_fatal(lua, api);
  }

  // The stop os.exit, or the frame sink's EndOfRun, raises. A script that catches it with pcall, or
  // a coroutine's resume, meets it again at its next instruction, through the hook (hooks are per
  // thread: the caller's and the main one), and at its next call of a host or plug-in function.
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
    return stop(lua, api);
  }

  // Ends the script as if it had reached its end.
  static int stop(lua_State *lua, ScriptApi &api) {
    api.stopped_ = true;
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
      "frame",        "screen", "color", "palette", "load_background", "pixel", "background_pixel",
      "load_picture", "sprite", "rect",  "text"};
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
      {"background_pixel", Bindings::background_pixel},
      {"load_picture", Bindings::load_picture},
      {"sprite", Bindings::sprite},
      {"rect", Bindings::rect},
      {"text", Bindings::text}};
  for (const auto &f : functions) lua_register(lua_, f.first, f.second);
  find_modules_beside(lua_, "", Bindings::module_found);
  luaL_newmetatable(lua_, kPictureType);
  const luaL_Reg picture_methods[] = {{"__index", Bindings::picture_index},
                                      {"__tostring", Bindings::picture_tostring},
                                      {"__gc", Bindings::picture_gc},
                                      {nullptr, nullptr}};
  luaL_setfuncs(lua_, picture_methods, 0);
  // getmetatable(picture) gives this instead of the table.
  lua_pushliteral(lua_, "picture");
  lua_setfield(lua_, -2, "__metatable");
  lua_pop(lua_, 1);
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
  const int status = load_script_file(lua_, path, kTextOnly);
  // Lua's refusal of a binary chunk does not name the file.
  if (status == LUA_ERRSYNTAX && std::strncmp(lua_tostring(lua_, -1), "attempt to load", 15) == 0) {
    lua_pushfstring(lua_, "%s: %s", path.c_str(), lua_tostring(lua_, -1));
    lua_remove(lua_, -2);
  }
  load_status(status);
  const std::string folder = folder_of(path);  // "." for a bare file name
  base_folder_ = folder == "." ? "" : folder;
  find_modules_beside(lua_, base_folder_, Bindings::module_found);
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
  lua_pushcfunction(lua_, Bindings::message_handler);
  lua_insert(lua_, -2);
  mark_lua_stack_base();
  const int status = lua_pcall(lua_, 0, 0, -2);
  if (fatal_) std::rethrow_exception(fatal_);
  if (status != LUA_OK && !stopped_) {
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

void ScriptApi::compose_frame() {
  runtime_.compose_frame();
  overlay_.draw_onto(runtime_.frame(), runtime_.width(), runtime_.height());
}

bool ScriptApi::note_file(const char *path, const std::string &folder) {
  return guard([&] { sink_.file_loaded(full_path(path_in_folder(folder, path))); });
}

bool ScriptApi::load_background(const char *path) {
  if (!note_file(path, base_folder_)) return false;
  try {
    const LoadedBackground loaded =
        load_background_picture(path, runtime_.width(), runtime_.height(), base_folder_);
    std::copy(loaded.pixels.begin(), loaded.pixels.end(), runtime_.background());
    std::copy(loaded.colours.begin(), loaded.colours.end(), runtime_.palette().begin());
    return true;
  } catch (const std::exception &e) {
    error_message_ = e.what();
    return false;
  }
}

bool ScriptApi::load_picture(const char *path, bool take_colours, uint64_t &serial) {
  if (!note_file(path, base_folder_)) return false;
  try {
    auto picture = std::make_shared<const Picture>(read_picture(path, base_folder_));
    sprite_colours_.emplace(next_picture_, SpriteColours(path, *picture));
    if (take_colours)
      std::copy(picture->colours.begin(), picture->colours.end(), runtime_.palette().begin());
    pictures_.emplace(next_picture_, std::move(picture));
    serial = next_picture_++;
    return true;
  } catch (const std::exception &e) {
    error_message_ = e.what();
    return false;
  }
}

template <typename Add>
bool ScriptApi::queue_drawing(Add &&add) {
  try {
    if (add()) return true;
    error_message_ = "more than " + std::to_string(Overlay::kMaxDrawings) +
                     " drawings wait for the next frame() call";
  } catch (const std::bad_alloc &) {
    error_message_ = "out of memory";
  }
  return false;
}

bool ScriptApi::draw_sprite(uint64_t serial, int32_t x, int32_t y) {
  const std::shared_ptr<const Picture> &picture = pictures_.at(serial);
  return queue_drawing([&] {
    drawn_pictures_.push_back(picture);
    if (overlay_.add_sprite(picture->pixels.data(), picture->width, picture->height,
                            picture->transparent, x, y)) {
      const std::string note = sprite_colours_.at(serial).note_once(runtime_.palette());
      if (!note.empty()) {
        if (before_print_) before_print_();
        std::fprintf(stderr, "kroplay: %s\n", note.c_str());
      }
      return true;
    }
    drawn_pictures_.pop_back();
    return false;
  });
}

bool ScriptApi::draw_rect(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t colour) {
  return queue_drawing([&] { return overlay_.add_rect(x, y, width, height, colour); });
}

bool ScriptApi::draw_text(int32_t x, int32_t y, std::string_view text, uint8_t colour) {
  return queue_drawing([&] { return overlay_.add_text(x, y, text, colour); });
}

void ScriptApi::suggest_function(lua_State *lua) {
  static const std::string kCall = "attempt to call a nil value (global '";
  size_t length = 0;
  const char *text = lua_tolstring(lua, 1, &length);
  const std::string_view message(text, length);
  const size_t call = message.find(kCall);
  if (call == std::string_view::npos || message.substr(message.size() - 2) != "')") return;
  // No function has a name this long; nor is one worth comparing.
  if (message.size() - call - kCall.size() > 200) return;
  error_message_.clear();
  const int top = lua_gettop(lua);
  try {
    const std::string name(
        message.substr(call + kCall.size(), message.size() - 2 - call - kCall.size()));
    // Every global that holds a function; none of these calls raises.
    std::vector<std::string> functions;
    lua_rawgeti(lua, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
    lua_pushnil(lua);
    while (lua_next(lua, -2) != 0) {
      if (lua_type(lua, -2) == LUA_TSTRING && lua_type(lua, -1) == LUA_TFUNCTION)
        functions.emplace_back(lua_tostring(lua, -2));
      lua_pop(lua, 1);
    }
    lua_pop(lua, 1);
    const std::string nearest = nearest_name(name, functions);
    if (!nearest.empty())
      error_message_ = std::string(message.substr(0, call)) + "no function '" + name +
                       "'; did you mean " + nearest + "?";
  } catch (const std::bad_alloc &) {
    lua_settop(lua, top);  // Lua's message stays on top
    return;
  }
  if (!error_message_.empty()) lua_pushstring(lua, error_message_.c_str());
}

}  // namespace kroplay
