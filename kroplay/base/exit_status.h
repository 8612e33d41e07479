// kroplay's exit statuses, the same in every mode (recording, --window,
// --check).
#ifndef KROPLAY_EXIT_STATUS_H
#define KROPLAY_EXIT_STATUS_H

namespace kroplay {

enum ExitStatus {
  kExitDone = 0,
  kExitRunFailed = 1,     // the run failed: a script error, a file that cannot be read or
                          // written, a limit reached, memory run out
  kExitBadUsage = 2,      // a bad command line
  kExitPluginFailed = 3,  // the plug-in cannot be loaded or breaks the host contract
};

}  // namespace kroplay

#endif  // KROPLAY_EXIT_STATUS_H
