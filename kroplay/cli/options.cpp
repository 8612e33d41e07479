#include "kroplay/cli/options.h"

#include <charconv>

#include "kroplay/cli/path_name.h"
#include "kroplay/host/nearest_name.h"
#include "kroplay/host/plugin_loader.h"
#include "kroplay/host/quoted.h"
#include "kroplay/host/screen_limits.h"

namespace kroplay {
namespace {

// A whole decimal number made of digits only, or false.
bool parse_number(const std::string &text, int64_t &value) {
  if (text.empty() || text.size() > 12) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

void parse_size(const std::string &text, Options &options) {
  const size_t x = text.find_first_of("xX");
  int64_t w = 0, h = 0;
  if (x == std::string::npos || !parse_number(text.substr(0, x), w) ||
      !parse_number(text.substr(x + 1), h))
    throw UsageError("--size wants WIDTHxHEIGHT, like 320x200, not '" + text + "'");
  if (!valid_screen_size(w, h))
    throw UsageError("--size " + text + " is out of range (each side 1.." +
                     std::to_string(kMaxScreenSide) + ", at most " +
                     std::to_string(kMaxScreenPixels) + " pixels)");
  options.width = static_cast<int32_t>(w);
  options.height = static_cast<int32_t>(h);
}

void parse_fps(const std::string &text, Options &options) {
  int64_t fps = 0;
  if (!parse_number(text, fps) || fps < 1 || fps > 100)
    throw UsageError("--fps wants a whole number from 1 to 100, not '" + text + "'");
  options.fps = static_cast<int>(fps);
}

// A whole number from `low` to `high` for `option`, or a UsageError.
int parse_bounded(const std::string &option, const std::string &text, int low, int high) {
  int64_t value = 0;
  if (!parse_number(text, value) || value < low || value > high)
    throw UsageError(option + " wants a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not '" + text + "'");
  return static_cast<int>(value);
}

// "N" or "A..B", whole numbers from 0 with A <= B.
FrameRange parse_frames(const std::string &text) {
  FrameRange range;
  range.all = false;
  const size_t dots = text.find("..");
  const bool parsed = dots == std::string::npos
                          ? parse_number(text, range.first)
                          : parse_number(text.substr(0, dots), range.first) &&
                                parse_number(text.substr(dots + 2), range.last);
  if (dots == std::string::npos) range.last = range.first;
  if (!parsed)
    throw UsageError("--frames wants N or FIRST..LAST, frames counted from 0, not '" + text + "'");
  if (range.first > range.last) throw UsageError("--frames " + text + " ends before it starts");
  return range;
}

// Options that make sense only together, checked once all are read.
void check_combinations(const Options &options, bool have_script, bool scale_given) {
  if (options.check &&
      (have_script || !options.output.empty() || options.hash || options.null_imports ||
       options.window || scale_given || !options.frames.all || options.columns != 0))
    throw UsageError("--check runs no script; it takes only --plugin");
  if (!options.window && options.quit_after != 0) throw UsageError("--quit-after needs --window");
  if (!options.window && options.scale > 16)
    throw UsageError("--scale wants a whole number from 1 to 16 for the output, not '" +
                     std::to_string(options.scale) + "' (up to 64 with --window)");
  if (options.columns != 0 && !is_png_output(options.output))
    throw UsageError("--columns lays out a PNG sprite sheet; it needs -o FILE.png");
  if (options.hash && options.output == "-")
    throw UsageError("--hash and -o - would both write to standard output");
  if (options.window && (is_png_output(options.output) || options.output == "-"))
    throw UsageError("--window writes only a GIF file with -o, not " +
                     std::string(options.output == "-" ? "standard output" : "a PNG"));
  if (options.window && !options.frames.all)
    throw UsageError("--frames chooses frames of a recording run; it does not go with --window");
}

}  // namespace

Options parse_options(const std::vector<std::string> &arguments) {
  Options options;
  bool have_script = false, options_ended = false, scale_given = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string arg = arguments[i];
    if (options_ended || arg.empty() || arg[0] != '-' || arg == "-") {
      if (have_script) throw UsageError("more than one script given: '" + arg + "'");
      if (arg.empty()) throw UsageError("the script name is empty");
      options.script = arg;
      have_script = true;
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    // "--name=value" carries its value; otherwise it is the next argument.
    std::string value;
    bool inline_value = false;
    const size_t equals = arg.find('=');
    if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos) {
      value = arg.substr(equals + 1);
      arg = arg.substr(0, equals);
      inline_value = true;
    }
    auto take_value = [&]() -> std::string {
      if (inline_value) return value;
      if (i + 1 >= arguments.size()) throw UsageError(arg + " needs a value");
      return arguments[++i];
    };
    auto no_value = [&]() {
      if (inline_value) throw UsageError(arg + " takes no value");
    };
    if (arg == "-o" || arg == "--output") {
      options.output = take_value();
      if (options.output.empty()) throw UsageError(arg + " needs a file name");
    } else if (arg == "--plugin") {
      options.plugin = take_value();
      if (options.plugin.empty()) throw UsageError("--plugin needs a file name");
    } else if (arg == "--size") {
      parse_size(take_value(), options);
    } else if (arg == "--fps") {
      parse_fps(take_value(), options);
    } else if (arg == "--hash") {
      no_value();
      options.hash = true;
    } else if (arg == "--null-imports") {
      no_value();
      options.null_imports = true;
    } else if (arg == "--window") {
      no_value();
      options.window = true;
    } else if (arg == "--scale") {
      options.scale = parse_bounded(arg, take_value(), 1, 64);
      scale_given = true;
    } else if (arg == "--quit-after") {
      options.quit_after = parse_bounded(arg, take_value(), 1, 86400);
    } else if (arg == "--frames") {
      options.frames = parse_frames(take_value());
    } else if (arg == "--columns") {
      options.columns = parse_bounded(arg, take_value(), 1, 65536);
    } else if (arg == "--max-frames") {
      options.max_frames = parse_bounded(arg, take_value(), 0, 1000000000);
    } else if (arg == "--timeout") {
      options.timeout = parse_bounded(arg, take_value(), 0, 31536000);
    } else if (arg == "--check") {
      no_value();
      options.check = true;
    } else if (arg == "-h" || arg == "--help") {
      no_value();
      options.help = true;
    } else if (arg == "--version") {
      no_value();
      options.version = true;
    } else {
      static const std::vector<std::string> kOptionNames = {
          "--output",  "--plugin", "--size",       "--fps",    "--hash",    "--null-imports",
          "--window",  "--scale",  "--quit-after", "--frames", "--columns", "--max-frames",
          "--timeout", "--check",  "--help",       "--version"};
      const std::string nearest = nearest_name(arg, kOptionNames);
      throw UsageError("unknown option '" + arg + "'" +
                       (nearest.empty() ? "" : "; did you mean " + nearest + "?"));
    }
  }
  check_combinations(options, have_script, scale_given);
  return options;
}

std::string default_output(const std::string &script) {
  if (script.empty()) return "demo.gif";
  std::string base = file_name_of(script);
  const size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0) base.erase(dot);
  if (base.empty() || base == "." || base == "..") base = "out";
  return base + ".gif";
}

bool is_png_output(const std::string &output) {
  if (output.size() < 4) return false;
  std::string extension = output.substr(output.size() - 4);
  for (char &c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return extension == ".png";
}

std::string output_type_refusal(const std::string &output) {
  const std::string name = file_name_of(output);
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return "";
  std::string extension = name.substr(dot);
  for (char &c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (extension == ".gif" || extension == ".png") return "";
  return "-o " + quoted(output) +
         ": kroplay writes only GIF (.gif) and PNG (.png) files, or - for standard output";
}

std::string plugin_path(const Options &options) {
  return options.plugin.empty() ? default_plugin_path() : options.plugin;
}

int gif_delay(int fps) {
  return (200 + fps) / (2 * fps);
}

std::string usage() {
  return "usage: kroplay [SCRIPT.lua] [-o OUT.gif|OUT.png|-] [--plugin PATH] [--size WxH]\n"
         "               [--fps N] [--hash] [--null-imports] [--frames N|A..B] [--scale N]\n"
         "               [--columns N] [--max-frames N] [--timeout SECS]\n"
         "       kroplay --window [SCRIPT.lua] [--scale N] [--quit-after SECS] [...]\n"
         "       kroplay --check [--plugin PATH]\n"
         "\n"
         "Runs a Lua script against a plug-in the way the game runtime does and records\n"
         "every composed frame into an animated GIF (or a PNG). Without a script, plays\n"
         "the built-in demo.\n"
         "\n"
         "  -o, --output FILE  output to write (default: the script's name with .gif,\n"
         "                     in the working folder; demo.gif for the demo); a name\n"
         "                     ending in .png writes a PNG; - writes the GIF to stdout\n"
         "  --plugin PATH      plug-in library (default: wavefx.so beside kroplay)\n"
         "  --size WxH         initial screen size (default 320x200)\n"
         "  --fps N            playback rate written into the GIF, 1..100 (default 50)\n"
         "  --hash             print one line per frame: its number (from 0) and a\n"
         "                     64-bit hash of its palette indices and palette\n"
         "  --null-imports     answer null for the twenty host names the plug-in\n"
         "                     fetches but must never read\n"
         "  --frames N|A..B    only frame N, or frames A to B (from 0, inclusive),\n"
         "                     go into the output; the script still runs in full\n"
         "  --scale N          output pixels per screen pixel, 1..16 (default 1);\n"
         "                     with --window: window pixels per screen pixel, 1..64\n"
         "                     (default: the largest that fits the display)\n"
         "  --columns N        columns of a PNG sprite sheet (default: near-square)\n"
         "  --max-frames N     stop a script that composes more than N frames\n"
         "                     (default 100000; 0: no limit)\n"
         "  --timeout SECS     stop a script that runs longer than SECS seconds\n"
         "                     (default 600; 0: no limit)\n"
         "  --window           live preview: show the frames in a window in real time,\n"
         "                     restart when the script is saved (writes a GIF only\n"
         "                     with -o); keys: space pause, right arrow step, R restart,\n"
         "                     S save frame, Q or Escape quit; tuning the effect on\n"
         "                     screen: 1 2 3 or Tab pick speed, frequency, amplitude,\n"
         "                     Up/Down +-1 (Shift +-10, Ctrl double/halve), E the other\n"
         "                     effect, C copy its START_ call, H or F1 list the keys\n"
         "  --quit-after SECS  close the window by itself after SECS seconds\n"
         "  --check            conformance run instead of a script: the plug-in's\n"
         "                     registration, imports, every function with boundary\n"
         "                     arguments and frames, all host memory against guard\n"
         "                     pages; one line per check, then \"N passed, N failed\"\n"
         "  -h, --help         show this help\n"
         "  --version          show the version\n"
         "\n"
         "Exit status: 0 done (or the script's os.exit status), 1 script or file\n"
         "error or a limit reached, 2 bad command line, 3 plug-in cannot be loaded\n"
         "or breaks the host contract (or fails --check).\n";
}

}  // namespace kroplay
