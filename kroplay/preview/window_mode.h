// kroplay --window: the live preview.
#ifndef KROPLAY_WINDOW_MODE_H
#define KROPLAY_WINDOW_MODE_H

#include "kroplay/cli/options.h"

namespace kroplay {

// True if this build has the preview window.
bool window_available();

// Runs the preview until the user quits. A script, plug-in or output that
// cannot be used at all is reported by throwing before the window opens, as
// in a recording run; later failures are shown in the window.
void run_window(const Options &options);

}  // namespace kroplay

#endif  // KROPLAY_WINDOW_MODE_H
