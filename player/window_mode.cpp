#include "window_mode.h"

#include <cstdio>
#include <fstream>

#include "gif_writer.h"
#include "plugin_loader.h"
#include "preview_session.h"
#include "preview_window.h"
#include "script_api.h"

namespace kroplay {

bool window_available() {
  return true;
}

void run_window(const Options &options) {
  // What no edit of the script can mend ends kroplay at once.
  if (!options.script.empty() && !std::ifstream(options.script))
    throw ScriptError("cannot open " + options.script);
  { const PluginLibrary plugin(options.plugin.empty() ? default_plugin_path() : options.plugin); }
  if (!options.output.empty()) {
    const GifWriter probe(options.output, gif_delay(options.fps));
  }

  PreviewWindow window(options.width, options.height, options.scale);
  PreviewSession session(options, window, stderr, stdout);
  session.run();
}

}  // namespace kroplay
