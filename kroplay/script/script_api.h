// The Lua 5.4 side of kroplay: runs a script whose globals are the plug-in's
// registered functions and the host functions (frame, screen, color,
// palette, load_background, pixel, background_pixel, and load_picture,
// sprite, rect, text, which draw over the composed frames).
//
// Integer arguments: a Lua integer, or a float with an exact integer value
// (so `w / 2` works), within the signed 32-bit range. Anything else, or a
// wrong number of arguments, is a Lua error naming the function and the
// argument, which a script may catch with pcall. A breach of the host
// contract, or a failure of the frame sink, is fatal instead: it stops the
// script, every later host or plug-in call fails again, and run() rethrows
// the original exception.
//
// Inside a script, os.exit(code) ends the script as if it had reached its
// end (exit_status() then holds the code), print writes to the stream
// chosen with set_print_stream, load_background and load_picture resolve a
// relative path against the folder of the script file, and require looks
// for modules in that folder first.
#ifndef KROPLAY_SCRIPT_API_H
#define KROPLAY_SCRIPT_API_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "kroplay/script/overlay_queue.h"
#include "kroplay/script/picture_handles.h"
#include "kroplay/script/print_redirect.h"

struct lua_State;

namespace kroplay {

class HostRuntime;

// Thrown by a frame sink to end the script after the frame it was given,
// as if the script had reached its end there: not an error, no status.
struct EndOfRun {};

// Where composed frames go.
class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // Called after each frame the script composes; may throw EndOfRun.
  virtual void frame_composed(const HostRuntime &runtime) = 0;
  // Called after each plug-in function the script calls, with its
  // arguments first to last.
  virtual void function_called(const std::string & /*name*/, const int32_t * /*arguments*/,
                               int /*count*/) {}
  // Called when the script is about to read a file other than itself (a
  // picture, a module), with the full path looked at, also if it turns out
  // missing or unreadable.
  virtual void file_loaded(const std::string & /*path*/) {}
};

// A script that cannot be loaded or fails; the message is one line,
// starting with file:line where Lua knows them.
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ScriptApi {
 public:
  ScriptApi(HostRuntime &runtime, FrameSink &sink);
  ~ScriptApi();
  ScriptApi(const ScriptApi &) = delete;
  ScriptApi &operator=(const ScriptApi &) = delete;

  // Compiles the script without running it; its folder becomes the base of
  // relative paths (load_source leaves the working folder). Throws
  // ScriptError.
  void load_file(const std::string &path);
  void load_source(std::string_view source, const std::string &chunk_name);
  // Makes each of the runtime's registered functions a Lua global. Throws
  // ContractError if one takes the name of a host function.
  void bind_plugin_functions();
  // Runs the loaded script to its end. Throws ScriptError, or rethrows the
  // fatal error that stopped it.
  void run();
  // Ends the run and closes the Lua state, running every pending finalizer;
  // from then on host and plug-in functions raise "NAME: the run has ended".
  // Closing again does nothing.
  void close();
  // Calls the plug-in function `name` taking `count` arguments the way a
  // script call does (the frame sink hears of it too), for a host acting
  // between frames; false, calling nothing, if the plug-in registered no
  // such function or the run has ended or stopped. A breach of the
  // contract throws ContractError, which stops the script like any fatal
  // error when thrown from the frame sink.
  bool call(const std::string &name, const int32_t *arguments, int count, int32_t &result);
  // The error that stopped the script, if any (also one raised by the
  // watchdog while closing).
  std::exception_ptr fatal() const { return fatal_; }
  // Calls `check` every `instructions` Lua instructions while the script
  // runs (and while finalizers run at the end), so that a host can look
  // after its window even while a script computes without composing
  // frames. An exception from `check` is fatal, like one from the frame
  // sink, and cannot be swallowed: once it is raised, the hook raises it
  // again at every instruction and every host or plug-in call raises it
  // too. debug.sethook then refuses to work, so no script removes the hook.
  void set_watchdog(std::function<void()> check, int instructions);

  // print writes to `out` (stdout at first), after calling `before` (if
  // set). With `out` stderr, io.write, io.stdout and the standard output
  // of child processes go there too, so that stdout carries only machine
  // output.
  void set_print_stream(std::FILE *out, std::function<void()> before);
  // The status the script asked for with os.exit (true 0, false 1), if it
  // called it.
  std::optional<int> exit_status() const { return exit_status_; }

  static const std::vector<std::string> &host_function_names();

 private:
  struct Bindings;  // the Lua C functions (script_bindings.h)
  void load_status(int status);
  // Runs `body`; an exception becomes the fatal error. False if it threw.
  template <typename Body>
  bool guard(Body &&body);

  // Calls functions()[index] and tells the frame sink. Throws ContractError.
  int32_t call_registered(size_t index, const int32_t *arguments);

  // One frame as the game composes it: the plug-in's hook (or a plain copy
  // of the background), then what the script asked to draw over it.
  // Throws ContractError.
  void compose_frame();

  bool pick_palette(const char *name);
  bool load_background(const char *path);
  // Reads a picture; its number goes to `serial`, its pixels' size to
  // `bytes`. With `take_colours`, its colour table goes into the palette,
  // as a background's does.
  bool load_picture(const char *path, bool take_colours, uint64_t &serial, size_t &bytes);
  // Tells the frame sink that the script reads `path` (a relative one
  // found in `folder`); false, with the sink's error fatal, if it threw.
  bool note_file(const char *path, const std::string &folder);
  // "no function 'NAME'; did you mean ...?" in place of Lua's message for
  // a call of an undefined global NAME near a defined function's name.
  void suggest_function(lua_State *lua);

  lua_State *lua_;
  HostRuntime &runtime_;
  FrameSink &sink_;
  std::exception_ptr fatal_;
  std::string fatal_message_;
  std::string error_message_;  // reason for the last refused host call
  std::function<void()> watchdog_;
  bool ended_ = false;
  std::string base_folder_;  // of relative paths; empty: the working folder
  std::optional<int> exit_status_;
  bool stopped_ = false;  // os.exit or EndOfRun ended the script
  PrintRedirect print_;
  PictureHandles pictures_;
  OverlayQueue overlay_;
};

}  // namespace kroplay

#endif  // KROPLAY_SCRIPT_API_H
