// What a preview shows and how: the run (script, plug-in, screen), the GIF
// it may write, its pace and its window.
#ifndef KROPLAY_PREVIEW_SETUP_H
#define KROPLAY_PREVIEW_SETUP_H

#include <string>

#include "kroplay/record/script_run.h"

namespace kroplay {

struct PreviewSetup : RunSetup {
  std::string output;  // each run also written to this GIF; empty: none
  int fps = 0;
  bool hash = false;        // one hash line per frame instead of the copied calls
  int quit_after = 0;       // seconds until the preview ends by itself; 0: never
  int scale = 0;            // window pixels per screen pixel; 0: the largest that fits
  std::string replay;       // a recorded session played in place of the script
  bool keep_going = false;  // the replay goes on past a differing frame
};

}  // namespace kroplay

#endif  // KROPLAY_PREVIEW_SETUP_H
