// Where a script's print goes: stdout at first, or stderr so that stdout
// carries only machine output (io.write, io.stdout and child processes'
// output then follow it).
#ifndef KROPLAY_PRINT_REDIRECT_H
#define KROPLAY_PRINT_REDIRECT_H

#include <cstdio>
#include <functional>
#include <string>

struct lua_State;

namespace kroplay {

class PrintRedirect {
 public:
  // print writes to `out`, after calling `before` (if set).
  void redirect(lua_State *lua, std::FILE *out, std::function<void()> before);
  // [-0, +0] print(...): the arguments as tostring gives them, tab-separated,
  // and a new line.
  int print(lua_State *lua) const;
  // "kroplay: `line`" on stderr, after calling `before` as print does.
  void note(const std::string &line) const;

 private:
  std::FILE *out_ = stdout;
  std::function<void()> before_;
};

}  // namespace kroplay

#endif  // KROPLAY_PRINT_REDIRECT_H
