// Keeps the preview window answering whatever the script does. The session
// (and so the script) runs on a worker thread and reaches the window only
// through a stand-in display; the calling thread, which owns the window,
// handles its events all the while, hands the user's requests over and
// shows what the session sends.
//
// A quit (Q, the close button, --quit-after) normally ends the session
// through the script's hook (see ScriptApi::set_watchdog). Lua runs
// finalizers, and message handlers of an error raised from the hook, with
// hooks off, and a C function (a long pattern match) runs without them: a
// script stuck there cannot be stopped from inside. When the session has
// not ended `grace` after the quit, `abandon` is called, which must not
// return (kroplay removes its temporary file and exits).
#ifndef KROPLAY_SESSION_THREAD_H
#define KROPLAY_SESSION_THREAD_H

#include <chrono>
#include <functional>

#include "kroplay/preview/preview_display.h"

namespace kroplay {

struct ResponsiveLimits {
  // When --quit-after ends the preview, if it does.
  std::chrono::steady_clock::time_point quit_at = std::chrono::steady_clock::time_point::max();
  std::chrono::milliseconds grace{500};
  std::function<void()> abandon;
};

// Runs `session` on a worker thread with a display that forwards to
// `window`, until it returns; rethrows what it threw.
void run_responsive(PreviewDisplay &window, const std::function<void(PreviewDisplay &)> &session,
                    const ResponsiveLimits &limits);

}  // namespace kroplay

#endif  // KROPLAY_SESSION_THREAD_H
