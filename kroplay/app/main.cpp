// kroplay: loads a plug-in, runs a Lua script against it the way the game
// runtime does, and records every composed frame into an animated GIF.
#include <gif_lib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <lua.hpp>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "kroplay/check/conformance_check.h"
#include "kroplay/cli/exit_status.h"
#include "kroplay/cli/messages.h"
#include "kroplay/cli/options.h"
#include "kroplay/gif/gif_writer.h"
#include "kroplay/host/host_runtime.h"
#include "kroplay/host/plugin_loader.h"
#include "kroplay/output/platform_files.h"
#include "kroplay/output/temp_file.h"
#include "kroplay/preview/window_mode.h"
#include "kroplay/record/progress.h"
#include "kroplay/record/recorder.h"
#include "kroplay/record/script_run.h"
#include "kroplay/script/script_api.h"

namespace {

using namespace kroplay;

// An interrupted run leaves no temporary file behind.
void on_fatal_signal(int signal) {
  remove_pending_temp_file();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void remove_temp_file_at_exit() {
  remove_pending_temp_file();
}

void print_version() {
  std::printf("kroplay %s (%s, giflib %d.%d.%d)\n", KROPLAY_VERSION, LUA_RELEASE, GIFLIB_MAJOR,
              GIFLIB_MINOR, GIFLIB_RELEASE);
}

int play(const Options &options) {
  const std::string output =
      options.output.empty() ? default_output(options.script) : options.output;
  const int delay = gif_delay(options.fps);
  if (delay * options.fps != 100)
    std::fprintf(stderr,
                 "kroplay: note: GIF delays are hundredths of a second; %d fps is written as "
                 "%d/100 s per frame (%.2f fps)\n",
                 options.fps, delay, 100.0 / delay);

  ScriptRun run({options.script, plugin_path(options),
                 options.width, options.height, options.null_imports},
                std::make_unique<GifWriter>(output, delay));
  GifWriter &gif = *run.output();
  Progress progress(stderr, Progress::stderr_is_terminal());
  Recorder recorder(gif, options.hash ? stdout : nullptr, progress);
  run.run(recorder);
  progress.finish();

  if (options.hash && (std::fflush(stdout) != 0 || std::ferror(stdout)))
    throw OutputError("cannot write the frame hashes to standard output");
  if (recorder.frames() == 0) {
    std::fprintf(stderr, "kroplay: the script composed no frames; %s not written\n",
                 output.c_str());
    return kExitDone;
  }
  gif.finish();
  std::fprintf(stderr, "kroplay: wrote %s (%lld frame%s, %dx%d)\n", output.c_str(),
               static_cast<long long>(recorder.frames()), recorder.frames() == 1 ? "" : "s",
               gif.screen_width(), gif.screen_height());
  return kExitDone;
}

// Errors are one line, even when a script's own error message is not.
int fail(int code, const std::string &message) {
  std::fflush(stdout);
  std::fprintf(stderr, "kroplay: %s\n", one_line(message).c_str());
  return code;
}

}  // namespace

int main(int argc, char **argv) {
  Options options;
  try {
    options = parse_options(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError &e) {
    return fail(kExitBadUsage, std::string(e.what()) + " (see kroplay --help)");
  }
  if (options.help) {
    std::fputs(kroplay::usage().c_str(), stdout);
    return kExitDone;
  }
  if (options.version) {
    print_version();
    return kExitDone;
  }

  if (options.check) {
    try {
      return run_conformance_check(plugin_path(options));
    } catch (const std::exception &e) {
      return fail(kExitPluginFailed, std::string("--check: ") + e.what());
    }
  }

  on_interrupt_signals(on_fatal_signal);
  // A script that calls os.exit leaves through exit(), past every destructor.
  std::atexit(remove_temp_file_at_exit);

  try {
    if (options.window) {
      if (!window_available())
        return fail(kExitBadUsage,
                    "this build of kroplay has no preview window (built without SDL2)");
      run_window(options);
      return kExitDone;
    }
    return play(options);
  } catch (const ScriptError &e) {
    return fail(kExitScriptFailed, e.what());
  } catch (const OutputError &e) {
    return fail(kExitScriptFailed, e.what());
  } catch (const PluginError &e) {
    return fail(kExitPluginFailed, e.what());
  } catch (const ContractError &e) {
    return fail(kExitPluginFailed, std::string("plug-in breaks the host contract: ") + e.what());
  } catch (const std::bad_alloc &) {
    return fail(kExitScriptFailed, "out of memory");
  } catch (const std::exception &e) {
    return fail(kExitScriptFailed, e.what());
  }
}
