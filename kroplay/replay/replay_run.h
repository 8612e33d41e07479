// A recorded session played again, a source of calls beside the script
// host: the trace's backgrounds and palettes restored, its calls made, the
// frame hook run, and each composed frame compared with the recorded one
// and handed to the frame sink as a script run's would be.
#ifndef KROPLAY_REPLAY_RUN_H
#define KROPLAY_REPLAY_RUN_H

#include <cstdint>
#include <stdexcept>
#include <string>

#include "kroplay/script/script_api.h"

namespace kroplay {

// The first frame that differs from the trace, when the replay stops there.
class ReplayMismatch : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ReplaySetup {
  std::string trace;   // the .krotrace file
  std::string plugin;  // the plug-in file
  bool null_imports = false;
  bool keep_going = false;  // play on past differing frames, counting them
};

struct ReplayReport {
  int64_t frames = 0;            // composed
  int64_t differing = 0;         // of them, unlike the trace's
  int64_t first_differing = -1;  // its number, from 0; -1: none
};

// Plays the trace. Throws TraceError for a damaged file (its message names
// the file), ReplayMismatch at the first differing frame unless
// `keep_going`, PluginError, ContractError, the sink's exceptions.
ReplayReport replay_trace(const ReplaySetup &setup, FrameSink &sink);

// After a replay played to its end: 0 when every frame was equal, else 1
// after a line on stderr saying how many differed.
int replay_exit_status(const ReplayReport &report);

}  // namespace kroplay

#endif  // KROPLAY_REPLAY_RUN_H
