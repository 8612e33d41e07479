// kroplay --window: the live preview.
#ifndef KROPLAY_WINDOW_MODE_H
#define KROPLAY_WINDOW_MODE_H

#include <functional>
#include <string>

#include "kroplay/preview/preview_setup.h"

namespace kroplay {

// True if this build has the preview window.
bool window_available();

// Runs the preview until the user quits. A script, plug-in or output that
// cannot be used at all is reported by throwing before the window opens, as
// in a recording run; later failures are shown in the window's title and
// passed to `on_error`, if given.
void run_window(const PreviewSetup &setup,
                const std::function<void(const std::string &)> &on_error = nullptr);

}  // namespace kroplay

#endif  // KROPLAY_WINDOW_MODE_H
