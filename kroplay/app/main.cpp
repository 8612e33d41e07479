// kroplay: loads a plug-in, runs a Lua script against it the way the game
// runtime does, and records every composed frame into an animated GIF (or
// chosen frames into a PNG).
#include <gif_lib.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <lua.hpp>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "kroplay/app/desktop_start.h"
#include "kroplay/app/entry_point.h"
#include "kroplay/base/exit_status.h"
#include "kroplay/base/messages.h"
#include "kroplay/check/conformance_check.h"
#include "kroplay/cli/help_text.h"
#include "kroplay/cli/options.h"
#include "kroplay/cli/run_setups.h"
#include "kroplay/host/host_runtime.h"
#include "kroplay/host/plugin_loader.h"
#include "kroplay/output/output_file.h"
#include "kroplay/output/output_target.h"
#include "kroplay/output/platform_files.h"
#include "kroplay/preview/window_mode.h"
#include "kroplay/record/process_end.h"
#include "kroplay/record/progress.h"
#include "kroplay/record/recording.h"
#include "kroplay/replay/replay_run.h"
#include "kroplay/replay/trace_reader.h"
#include "kroplay/script/child_processes.h"
#include "kroplay/script/script_api.h"

namespace {

using namespace kroplay;

// An interrupted run says where it stopped and leaves no temporary file
// behind.
void on_fatal_signal(int signal) {
  end_child_processes();
  report_interrupt(is_broken_pipe_signal(signal));
  remove_pending_temp_file();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// A write past the file size limit (ulimit -f).
void on_size_limit(int) {
  end_process_now("kroplay: the file size limit was reached; nothing written\n", kExitRunFailed);
}

void remove_temp_file_at_exit() {
  remove_pending_temp_file();
}

void print_version() {
  std::printf("kroplay %s (%s, giflib %d.%d.%d, libpng %s)\n", KROPLAY_VERSION, LUA_RELEASE,
              GIFLIB_MAJOR, GIFLIB_MINOR, GIFLIB_RELEASE, PNG_LIBPNG_VER_STRING);
}

// After the run: --frames must lie within the frames composed.
void check_selection(const Options &options, int64_t frames) {
  if (options.frames.all || options.frames.last < frames) return;
  std::string range = std::to_string(options.frames.first);
  if (options.frames.last != options.frames.first)
    range += ".." + std::to_string(options.frames.last);
  if (options.frames.step != 1) range += "/" + std::to_string(options.frames.step);
  throw OutputError("--frames " + range + " is past the end: the run composed " +
                    std::to_string(frames) + (frames == 1 ? " frame" : " frames") +
                    ", the last is frame " + std::to_string(frames - 1) + "; nothing written");
}

// Why the script cannot be read or `output` must not be written, or "".
std::string path_refusal(const Options &options, const std::string &output) {
  const std::string script_device = reserved_device_name(options.script);
  if (!script_device.empty())
    return options.script + " names the Windows device " + script_device +
           ", not a file; rename the script";
  const std::string output_device = reserved_device_name(output);
  if (!output_device.empty())
    return "-o " + output + " names the Windows device " + output_device +
           ", not a file; choose another output";
  const std::string named =
      options.output.empty() ? "the output " + output + " would be" : "-o " + output + " is";
  if (!options.script.empty() && same_file(options.script, output))
    return named + " the script itself; choose another output";
  if (!options.replay.empty() && same_file(options.replay, output))
    return named + " the trace itself; choose another output";
  if (same_file(plugin_path(options), output))
    return named + " the plug-in itself; choose another output";
  if (!options.output.empty() && !output_type_refusal(options.output).empty())
    return output_type_refusal(options.output);
  if (is_standard_output(output) && standard_output_is_terminal())
    return "-o - would write a GIF to the terminal; send standard output to a file or a pipe";
  return "";
}

int play(const Options &options, const std::string &output) {
  RecordingSetup setup = recording_setup(options, output);
  if (setup.delay * options.fps != 100 && !is_png_output(output))
    std::fprintf(stderr,
                 "kroplay: note: GIF delays are hundredths of a second; %d fps is written as "
                 "%d/100 s per frame (%.2f fps)\n",
                 options.fps, setup.delay, 100.0 / setup.delay);
  // With machine output on stdout, the script's own output goes to stderr.
  const bool stdout_is_data = options.hash || is_standard_output(output);
  setup.print_out = stdout_is_data ? stderr : stdout;
  setup.before_print = clear_progress_line;
  setup.show_progress = Progress::stderr_is_terminal();
  setup.end_process_on_timeout = true;
  // A replay plays a trace where a script run runs the script.
  setup.runs_script = options.replay.empty();
  Recording recording(setup);
  ReplayReport replay;
  if (setup.runs_script) {
    recording.run(recording.selector());
  } else {
    replay =
        replay_trace({options.replay, setup.run.plugin, options.null_imports, options.keep_going},
                     recording.selector());
    recording.finish();
  }

  const bool stdout_failed = std::fflush(stdout) != 0 || std::ferror(stdout);
  const int64_t frames = recording.selector().frames();
  FrameOutput &out = recording.output();
  if (frames == 0) {
    std::fprintf(stderr, "kroplay: the script composed no frames; %s not written\n",
                 one_line(output_name(output)).c_str());
  } else {
    check_selection(options, frames);
    out.finish();
    if (recording.seamless() != nullptr)
      std::fprintf(stderr, "kroplay: %s\n", recording.seamless()->report().c_str());
    std::fprintf(stderr, "kroplay: wrote %s (%s)\n", one_line(output_name(output)).c_str(),
                 out.summary().c_str());
  }
  // A reader of stdout that went away early costs what went there, not
  // the output.
  if (stdout_failed)
    throw OutputError(std::string("cannot write ") +
                      (options.hash ? "the frame hashes" : "the script's printed text") +
                      " to standard output (closed early?)");
  return setup.runs_script ? recording.script_run().exit_status().value_or(kExitDone)
                           : replay_exit_status(replay);
}

// Started from the desktop: errors also go into a message box.
bool from_desktop = false;

// Errors are one line, even when a script's own error message is not.
int fail(int code, const std::string &message) {
  std::fflush(stdout);
  clear_progress_line();
  std::fprintf(stderr, "kroplay: %s\n", one_line(message).c_str());
  if (from_desktop) show_error_box(one_line(message));
  return code;
}

}  // namespace

int run_kroplay(const std::vector<std::string> &arguments) {
  from_desktop = leave_desktop_console();
  fill_standard_descriptors();
  Options options;
  try {
    options = from_desktop ? parse_desktop_options(arguments) : parse_options(arguments);
  } catch (const UsageError &e) {
    return fail(kExitBadUsage, std::string(e.what()) + " (see kroplay --help)");
  }
  if (options.help) {
    std::fputs(help_text(keys_for_help()).c_str(), stdout);
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

  // The preview writes only what -o names.
  const std::string output =
      options.output.empty() && !options.window
          ? default_output(options.replay.empty() ? options.script : options.replay)
          : options.output;
  const std::string refusal = path_refusal(options, output);
  if (!refusal.empty()) return fail(kExitBadUsage, refusal + " (see kroplay --help)");

  on_interrupt_signals(on_fatal_signal);
  on_size_limit_signal(on_size_limit);
  // A closed stdout is then reported after the output file is written.
  if (!is_standard_output(output) && target_kind(output) == TargetKind::kReplaceable)
    ignore_broken_pipes();
  // Whatever leaves through exit(), past every destructor, still removes it.
  std::atexit(remove_temp_file_at_exit);

  try {
    if (options.window) {
      if (!window_available())
        return fail(kExitBadUsage,
                    "this build of kroplay has no preview window (built without SDL2)");
      // The preview runs a script again when it is saved: its box says so.
      const std::function<void(const std::string &)> box = [retries = !options.script.empty()](
                                                               const std::string &message) {
        show_error_box_later(retries ? message + "\n\nSaving the script tries it again." : message);
      };
      run_window(preview_setup(options), from_desktop ? box : nullptr);
      return kExitDone;
    }
    return play(options, output);
  } catch (const ScriptError &e) {
    return fail(kExitRunFailed, e.what());
  } catch (const OutputError &e) {
    return fail(kExitRunFailed, e.what());
  } catch (const TraceError &e) {
    return fail(kExitRunFailed, e.what());
  } catch (const ReplayMismatch &e) {
    return fail(kExitRunFailed, e.what());
  } catch (const PluginError &e) {
    return fail(kExitPluginFailed, e.what());
  } catch (const ContractError &e) {
    return fail(kExitPluginFailed, std::string("plug-in breaks the host contract: ") + e.what());
  } catch (const std::bad_alloc &) {
    return fail(kExitRunFailed, "out of memory");
  } catch (const std::exception &e) {
    return fail(kExitRunFailed, e.what());
  }
}
