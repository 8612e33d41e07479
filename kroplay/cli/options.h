// kroplay's command line.
#ifndef KROPLAY_OPTIONS_H
#define KROPLAY_OPTIONS_H

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "kroplay/record/output_choice.h"

namespace kroplay {

// A bad command line; the message says what is wrong.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the command line asks for. parse_options() starts from the defaults
// in the option table; a default-made Options holds zeros, empty strings
// and false.
struct Options {
  std::string script;  // empty: the built-in demo
  std::string output;  // empty: the script's base name with .gif; "-": stdout
  std::string plugin;  // empty: the plug-in beside the executable
  int32_t width = 0;
  int32_t height = 0;
  int fps = 0;
  bool hash = false;
  bool null_imports = false;
  bool check = false;       // conformance run against the plug-in instead of a script
  std::string replay;       // a recorded session to play instead of a script
  bool keep_going = false;  // a replay plays on past frames unlike the trace's
  bool help = false;
  bool version = false;
  bool window = false;  // live preview instead of a GIF
  // With --window: window pixels per screen pixel (0: the largest that
  // fits). Otherwise: output pixels per screen pixel (0: 1).
  int scale = 0;
  int quit_after = 0;  // seconds until the window closes by itself; 0: never
  FrameRange frames;
  int columns = 0;         // of a PNG sprite sheet; 0: near-square
  int gap = 0;             // PNG pixels of colour 0 between sheet cells
  bool seamless = false;   // end the range where it wraps most smoothly
  int64_t max_frames = 0;  // a recording run stops past this; 0: no limit
  int timeout = 0;         // seconds a recording run may take; 0: no limit
};

// Parses the arguments after the program name. Options take their value as
// the next argument or after '='; "--" ends the options. Throws UsageError.
Options parse_options(const std::vector<std::string> &arguments);

// Why kroplay refuses to write `output` (given with -o): its extension
// names a type kroplay does not write (`shot.jpg`); "" if it may. A name
// without an extension gets a GIF.
std::string output_type_refusal(const std::string &output);

// The plug-in to load: --plugin's, or the one beside the executable.
std::string plugin_path(const Options &options);

}  // namespace kroplay

#endif  // KROPLAY_OPTIONS_H
