#include "kroplay/preview/window_mode.h"

#include <cstdio>
#include <fstream>

#include "kroplay/gif/gif_writer.h"
#include "kroplay/host/plugin_loader.h"
#include "kroplay/preview/preview_session.h"
#include "kroplay/preview/preview_window.h"
#include "kroplay/script/script_api.h"

namespace kroplay {

bool window_available() {
  return true;
}

void run_window(const Options &options) {
  // What no edit of the script can mend ends kroplay at once.
  if (!options.script.empty() && !std::ifstream(options.script))
    throw ScriptError("cannot open " + options.script);
  { const PluginLibrary plugin(plugin_path(options)); }
  if (!options.output.empty()) {
    const GifWriter probe(options.output, gif_delay(options.fps));
  }

  PreviewWindow window(options.width, options.height, options.scale);
  PreviewSession session(options, window, stderr, stdout);
  session.run();
}

}  // namespace kroplay
