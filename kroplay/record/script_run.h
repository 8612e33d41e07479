// One run of a script against a freshly loaded plug-in, the way the game
// runtime runs it; recording and the live preview both use it:
//   compile the script, load the plug-in, krolibrary and kromain, bind the
//   plug-in's functions, run the script, kroend.
// Once kromain has been called, kroend is called on every path. Teardown
// keeps this order: the Lua state is closed (every finalizer runs, while the
// plug-in is still loaded, and finds kroplay's functions refusing to work),
// then the output is completed or removed, and only then is the plug-in
// unloaded.
#ifndef KROPLAY_SCRIPT_RUN_H
#define KROPLAY_SCRIPT_RUN_H

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "kroplay/host/host_runtime.h"
#include "kroplay/host/plugin_loader.h"
#include "kroplay/record/frame_output.h"
#include "kroplay/script/script_api.h"

namespace kroplay {

struct RunSetup {
  std::string script;  // empty: the built-in demo
  std::string plugin;  // the plug-in file
  int32_t width = 0, height = 0;
  bool null_imports = false;
};

class ScriptRun {
 public:
  // `output` (may be null) is kept until the run is destroyed: the frame
  // sink writes to it, the caller completes it with finish() after run().
  ScriptRun(RunSetup setup, std::unique_ptr<FrameOutput> output);
  // Closes the Lua state, removes an unfinished output, then unloads the
  // plug-in.
  ~ScriptRun();
  ScriptRun(const ScriptRun &) = delete;
  ScriptRun &operator=(const ScriptRun &) = delete;

  // See ScriptApi::set_print_stream; applies to the next run().
  void set_print_stream(std::FILE *out, std::function<void()> before);
  // See ScriptApi::set_watchdog; applies to the next run().
  void set_watchdog(std::function<void()> check, int instructions);

  // Runs the script to its end, composed frames going to `sink`. When it
  // returns or throws, kroend has been called and the Lua state is closed.
  // Throws what stopped the run (ScriptError, PluginError, ContractError,
  // or the sink's or watchdog's exception).
  void run(FrameSink &sink);

  // While run() runs, from the frame sink: calls a plug-in function as the
  // script would (see ScriptApi::call); false outside a run.
  bool call(const std::string &name, const int32_t *arguments, int count, int32_t &result);

  FrameOutput *output() { return output_.get(); }
  // The status the script asked for with os.exit, if it called it.
  std::optional<int> exit_status() const { return script_ ? script_->exit_status() : std::nullopt; }

 private:
  // kroend if kromain was called, then the Lua state closed. A failure of
  // kroend is thrown only if `report`.
  void end(bool report);

  RunSetup setup_;
  std::FILE *print_out_ = stdout;
  std::function<void()> before_print_;
  std::function<void()> watchdog_;
  int watchdog_instructions_ = 0;
  bool started_ = false;  // kromain was called, kroend was not
  // Destroyed bottom up: the script, the output, the runtime, the plug-in.
  std::optional<PluginLibrary> plugin_;
  std::optional<HostRuntime> runtime_;
  std::unique_ptr<FrameOutput> output_;
  std::unique_ptr<ScriptApi> script_;
};

}  // namespace kroplay

#endif  // KROPLAY_SCRIPT_RUN_H
