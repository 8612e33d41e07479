// The runs the command line asks for, as the plain descriptions the
// recording and the preview take.
#ifndef KROPLAY_RUN_SETUPS_H
#define KROPLAY_RUN_SETUPS_H

#include <string>

#include "kroplay/cli/options.h"
#include "kroplay/preview/preview_setup.h"
#include "kroplay/record/recording.h"

namespace kroplay {

// A recording into `output` (the -o given, or the default one); the
// caller adds where the script's print goes, the progress line and the
// process ending.
RecordingSetup recording_setup(const Options &options, const std::string &output);

PreviewSetup preview_setup(const Options &options);

}  // namespace kroplay

#endif  // KROPLAY_RUN_SETUPS_H
