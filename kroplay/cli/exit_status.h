// kroplay's exit statuses, the same in every mode (recording, --window,
// --check).
#ifndef KROPLAY_EXIT_STATUS_H
#define KROPLAY_EXIT_STATUS_H

namespace kroplay {

enum ExitStatus {
  kExitDone = 0,
  kExitScriptFailed = 1,  // a script error, or an output that cannot be written
  kExitBadUsage = 2,      // a bad command line
  kExitPluginFailed = 3,  // the plug-in cannot be loaded or breaks the host contract
};

}  // namespace kroplay

#endif  // KROPLAY_EXIT_STATUS_H
