#include "kroplay/preview/window_mode.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "kroplay/base/exit_status.h"
#include "kroplay/gif/gif_writer.h"
#include "kroplay/host/plugin_loader.h"
#include "kroplay/picture/regular_file.h"
#include "kroplay/preview/preview_session.h"
#include "kroplay/preview/preview_window.h"
#include "kroplay/preview/session_thread.h"
#include "kroplay/record/output_choice.h"
#include "kroplay/record/process_end.h"
#include "kroplay/script/script_api.h"

namespace kroplay {

bool window_available() {
  return true;
}

void run_window(const PreviewSetup &setup,
                const std::function<void(const std::string &)> &on_error) {
  // What no edit of the script can mend ends kroplay at once.
  if (!setup.script.empty()) {
    int64_t size = 0;
    std::string refusal;
    const int fd = open_regular_file(setup.script, size, refusal);
    if (fd < 0) throw ScriptError("cannot open " + setup.script + ": " + refusal);
    close(fd);
  }
  { const PluginLibrary plugin(setup.plugin); }
  if (!setup.output.empty()) {
    const GifWriter probe(setup.output, gif_delay(setup.fps));
  }

  PreviewWindow window(setup.width, setup.height, setup.scale);
  ResponsiveLimits limits;
  if (setup.quit_after > 0)
    limits.quit_at = std::chrono::steady_clock::now() + std::chrono::seconds(setup.quit_after);
  limits.abandon = [] {
    end_process_now("kroplay: the script does not stop; quitting without it\n", kExitDone);
  };
  run_responsive(
      window,
      [&](PreviewDisplay &display) {
        PreviewSession session(setup, display, stderr, stdout);
        session.set_error_listener(on_error);
        session.run();
      },
      limits);
}

}  // namespace kroplay
