#include "kroplay/script/print_redirect.h"

#include <lua.hpp>
#include <utility>

#include "kroplay/script/child_processes.h"

namespace kroplay {

void PrintRedirect::redirect(lua_State *lua, std::FILE *out, std::function<void()> before) {
  out_ = out;
  before_ = std::move(before);
  send_child_output_to_stderr(out == stderr);
  // io.write writes to the default output; io.stdout is what scripts name.
  if (out != stderr) return;
  if (lua_getglobal(lua, "io") != LUA_TTABLE) {
    lua_pop(lua, 1);
    return;
  }
  lua_getfield(lua, -1, "stderr");
  lua_setfield(lua, -2, "stdout");
  lua_getfield(lua, -1, "output");
  lua_getfield(lua, -2, "stderr");
  lua_call(lua, 1, 0);
  lua_pop(lua, 1);
}

int PrintRedirect::print(lua_State *lua) const {
  if (before_) before_();
  const int n = lua_gettop(lua);
  for (int i = 1; i <= n; ++i) {
    size_t length = 0;
    const char *text = luaL_tolstring(lua, i, &length);
    if (i > 1) std::fputc('\t', out_);
    std::fwrite(text, 1, length, out_);
    lua_pop(lua, 1);
  }
  std::fputc('\n', out_);
  std::fflush(out_);
  return 0;
}

void PrintRedirect::note(const std::string &line) const {
  if (before_) before_();
  std::fprintf(stderr, "kroplay: %s\n", line.c_str());
}

}  // namespace kroplay
