#include "kroplay/script/script_api.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "kroplay/base/nearest_name.h"
#include "kroplay/base/path_name.h"
#include "kroplay/base/quoted.h"
#include "kroplay/host/host_runtime.h"
#include "kroplay/picture/regular_file.h"
#include "kroplay/script/child_processes.h"
#include "kroplay/script/lua_arguments.h"
#include "kroplay/script/lua_guards.h"
#include "kroplay/script/module_search.h"
#include "kroplay/script/script_bindings.h"
#include "kroplay/script/script_file.h"
#include "kroplay/script/source_text_only.h"

namespace kroplay {
namespace {

// Bytes of a script's error message that kroplay keeps.
constexpr size_t kMessageBytes = 1000;

}  // namespace

int ScriptApi::Bindings::raise_fatal(lua_State *lua, ScriptApi &api) {
  if (api.watchdog_) lua_sethook(lua, watchdog, LUA_MASKCOUNT, 1);
  return luaL_error(lua, "%s", api.fatal_message_.c_str());
}

ScriptApi &ScriptApi::Bindings::enter(lua_State *lua, const char *name) {
  ScriptApi &api = *api_slot(lua);
  if (api.ended_) luaL_error(lua, "%s: the run has ended", name);
  if (api.fatal_) raise_fatal(lua, api);
  if (api.stopped_) raise_exit(lua);
  return api;
}

// Keeps error messages to one line of text whatever the script raised, and
// names the function a misspelt call most likely meant.
int ScriptApi::Bindings::message_handler(lua_State *lua) {
  if (lua_type(lua, 1) == LUA_TSTRING) {
    api_slot(lua)->suggest_function(lua);
    return 1;
  }
  if (luaL_callmeta(lua, 1, "__tostring") && lua_type(lua, -1) == LUA_TSTRING) return 1;
  lua_pushfstring(lua, "(error object is a %s value)", luaL_typename(lua, 1));
  return 1;
}

int ScriptApi::Bindings::plugin_function(lua_State *lua) {
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
  check_argument_count(lua, name, f.parameter_count, f.parameter_count);
  int32_t arguments[HostRuntime::kMaxParameters];
  for (int i = 0; i < f.parameter_count; ++i) arguments[i] = integer_argument(lua, name, i + 1);
  int32_t result = 0;
  if (!api.guard([&] { result = api.call_registered(index, arguments); }))
    return raise_fatal(lua, api);
  lua_pushinteger(lua, result);
  return 1;
}

// [-0, +0] kroplay.found of require's searcher: a module file it is about
// to compile.
int ScriptApi::Bindings::module_found(lua_State *lua) {
  ScriptApi &api = *api_slot(lua);
  if (lua_type(lua, 1) == LUA_TSTRING && !api.ended_ && !api.note_file(lua_tostring(lua, 1), ""))
    return raise_fatal(lua, api);
  return 0;
}

void ScriptApi::Bindings::watchdog(lua_State *lua, lua_Debug *) {
  ScriptApi &api = *api_slot(lua);
  if (api.stopped_) raise_exit(lua);
  if (api.fatal_ || (api.watchdog_ && !api.guard(api.watchdog_))) raise_fatal(lua, api);
}

// The stop os.exit, or the frame sink's EndOfRun, raises. A script that
// catches it with pcall, or a coroutine's resume, meets it again at its
// next instruction, through the hook (hooks are per thread: the caller's
// and the main one), and at its next call of a host or plug-in function.
int ScriptApi::Bindings::raise_exit(lua_State *lua) {
  lua_pushliteral(lua, "os.exit");
  return lua_error(lua);
}

int ScriptApi::Bindings::os_exit(lua_State *lua) {
  ScriptApi &api = *api_slot(lua);
  int status = 0;
  if (lua_isboolean(lua, 1))
    status = lua_toboolean(lua, 1) ? 0 : 1;
  else
    status = static_cast<int>(luaL_optinteger(lua, 1, 0));
  api.exit_status_ = status;
  return stop(lua, api);
}

int ScriptApi::Bindings::stop(lua_State *lua, ScriptApi &api) {
  api.stopped_ = true;
  lua_sethook(lua, watchdog, LUA_MASKCOUNT, 1);
  if (api.lua_ != nullptr) lua_sethook(api.lua_, watchdog, LUA_MASKCOUNT, 1);
  return raise_exit(lua);
}

int ScriptApi::Bindings::refuse_sethook(lua_State *lua) {
  return luaL_error(lua, "debug.sethook: kroplay keeps the hook to stay responsive");
}

int ScriptApi::Bindings::print(lua_State *lua) {
  return api_slot(lua)->print_.print(lua);
}

int ScriptApi::Bindings::picture_index(lua_State *lua) {
  return api_slot(lua)->pictures_.index(lua);
}

int ScriptApi::Bindings::picture_tostring(lua_State *lua) {
  return api_slot(lua)->pictures_.name(lua);
}

int ScriptApi::Bindings::picture_gc(lua_State *lua) {
  return api_slot(lua)->pictures_.collect(lua);
}

ScriptApi::ScriptApi(HostRuntime &runtime, FrameSink &sink)
    : lua_(luaL_newstate()), runtime_(runtime), sink_(sink) {
  if (lua_ == nullptr) throw std::bad_alloc();
  api_slot(lua_) = this;
  luaL_openlibs(lua_);
  allow_text_chunks_only(lua_);
  guard_lua_weak_spots(lua_);
  keep_child_processes(lua_);
  lua_rawgeti(lua_, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
  luaL_setfuncs(lua_, Bindings::kHostFunctions, 0);
  lua_pop(lua_, 1);
  find_modules_beside(lua_, "", Bindings::module_found);
  const luaL_Reg picture_methods[] = {{"__index", Bindings::picture_index},
                                      {"__tostring", Bindings::picture_tostring},
                                      {"__gc", Bindings::picture_gc},
                                      {nullptr, nullptr}};
  PictureHandles::create_metatable(lua_, picture_methods);
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
  print_.redirect(lua_, out, std::move(before));
}

void ScriptApi::compose_frame() {
  runtime_.compose_frame();
  overlay_.draw_onto(runtime_.frame(), runtime_.width(), runtime_.height());
}

bool ScriptApi::note_file(const char *path, const std::string &folder) {
  return guard([&] { sink_.file_loaded(full_path(path_in_folder(folder, path))); });
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
