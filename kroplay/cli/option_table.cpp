#include "kroplay/cli/option_table.h"

#include <charconv>

#include "kroplay/base/screen_limits.h"

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

// "WIDTHxHEIGHT" (or "X"), a screen the host allows.
void store_size(Options &options, const OptionValue &value) {
  const std::string &text = value.text;
  const size_t x = text.find_first_of("xX");
  int64_t w = 0, h = 0;
  if (x == std::string::npos || !parse_number(text.substr(0, x), w) ||
      !parse_number(text.substr(x + 1), h))
    throw UsageError(value.spelled + " wants WIDTHxHEIGHT, like 320x200, not '" + text + "'");
  if (!valid_screen_size(w, h))
    throw UsageError(value.spelled + " " + text + " is out of range (each side 1.." +
                     std::to_string(kMaxScreenSide) + ", at most " +
                     std::to_string(kMaxScreenPixels) + " pixels)");
  options.width = static_cast<int32_t>(w);
  options.height = static_cast<int32_t>(h);
}

// "N", "A..B" or "A..B/S": whole numbers from 0 with A <= B, and S from 1.
void store_frames(Options &options, const OptionValue &value) {
  const std::string &text = value.text;
  FrameRange range;
  range.all = false;
  const size_t dots = text.find("..");
  const size_t slash = text.find('/');
  const std::string span = text.substr(0, slash);
  const bool parsed =
      dots == std::string::npos
          ? slash == std::string::npos && parse_number(text, range.first)
          : dots < slash && parse_number(span.substr(0, dots), range.first) &&
                parse_number(span.substr(dots + 2), range.last) &&
                (slash == std::string::npos ||
                 (parse_number(text.substr(slash + 1), range.step) && range.step >= 1));
  if (dots == std::string::npos) range.last = range.first;
  if (!parsed)
    throw UsageError(value.spelled +
                     " wants N, FIRST..LAST or FIRST..LAST/STEP, frames counted from 0 and a "
                     "step from 1, not '" +
                     text + "'");
  if (range.first > range.last)
    throw UsageError(value.spelled + " " + text + " ends before it starts");
  options.frames = range;
}

std::string size_help() {
  return "the initial screen size, each side 1.." + std::to_string(kMaxScreenSide) + ", at most " +
         std::to_string(kMaxScreenPixels) + " pixels (default {default})";
}

std::string scale_help() {
  return "output pixels per screen pixel, 1.." + std::to_string(kMaxOutputScale) +
         " (default 1); with --window, window pixels per screen pixel, {range} (default: the "
         "largest that fits the display)";
}

constexpr ValueKind kSwitch = ValueKind::kNone;
constexpr ValueKind kWhole = ValueKind::kWholeNumber;
constexpr ValueKind kFile = ValueKind::kFileName;
constexpr ValueKind kText = ValueKind::kText;

void replace(std::string &text, const std::string &from, const std::string &to) {
  const size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
}

}  // namespace

// clang-format off
const std::vector<OptionRow> &option_table() {
  static const std::vector<OptionRow> table = {
    {"-o", "--output", "FILE", kFile, 0, 0, nullptr,
     "the output: a GIF, a PNG when FILE ends in .png, or - for a GIF on standard output "
     "(default: the script's name with .gif, in the working folder; demo.gif for the demo)",
     kRecording, false,
     [](Options &o, const OptionValue &v) { o.output = v.text; }},
    {nullptr, "--plugin", "PATH", kFile, 0, 0, nullptr,
     "the plug-in library (default: the one beside kroplay, else the one in " KROPLAY_PLUGIN_FROM_PROGRAM
     "/ from kroplay's folder)",
     kRecording | kConformance, false,
     [](Options &o, const OptionValue &v) { o.plugin = v.text; }},
    {nullptr, "--size", "WxH", kText, 0, 0, "320x200", size_help(),
     kRecording, false, store_size},
    {nullptr, "--fps", "N", kWhole, 1, 100, "50",
     "the playback rate written into the GIF, {range} (default {default})",
     kRecording, false,
     [](Options &o, const OptionValue &v) { o.fps = static_cast<int>(v.number); }},
    {nullptr, "--hash", nullptr, kSwitch, 0, 0, nullptr,
     "print one line per frame on standard output: its number (from 0) and a 64-bit hash of "
     "its palette indices and palette",
     kRecording, false,
     [](Options &o, const OptionValue &) { o.hash = true; }},
    {nullptr, "--null-imports", nullptr, kSwitch, 0, 0, nullptr,
     "answer null for the twenty host names the plug-in fetches but must never read",
     kRecording, false,
     [](Options &o, const OptionValue &) { o.null_imports = true; }},
    {nullptr, "--frames", "N|A..B[/S]", kText, 0, 0, nullptr,
     "only frame N, or frames A to B (from 0, both included), every S-th of them with /S, "
     "go into the output; the run ends after the last, so an endless game loop can be "
     "recorded",
     kRecording, false, store_frames},
    {nullptr, "--seamless", nullptr, kSwitch, 0, 0, nullptr,
     "end the recorded frames, within their last quarter, at the frame whose successor is "
     "most like the first, so the GIF's wrap looks like an ordinary step; says which frames "
     "it kept",
     kRecording, false,
     [](Options &o, const OptionValue &) { o.seamless = true; }},
    {nullptr, "--scale", "N", kWhole, 1, kMaxWindowScale, nullptr, scale_help(),
     kRecording | kPreview, false,
     [](Options &o, const OptionValue &v) { o.scale = static_cast<int>(v.number); }},
    {nullptr, "--columns", "N", kWhole, 1, 65536, nullptr,
     "the columns of a PNG sprite sheet, {range} (default: near-square)",
     kRecording, false,
     [](Options &o, const OptionValue &v) { o.columns = static_cast<int>(v.number); }},
    {nullptr, "--gap", "N", kWhole, 0, kMaxSheetGap, nullptr,
     "pixels of colour 0 between the cells of a PNG sprite sheet, {range} (default 0)",
     kRecording, false,
     [](Options &o, const OptionValue &v) { o.gap = static_cast<int>(v.number); }},
    {nullptr, "--max-frames", "N", kWhole, 0, 1000000000, "100000",
     "stop a script that composes more than N frames, {range}; 0: no limit (default {default})",
     kRecording, false,
     [](Options &o, const OptionValue &v) { o.max_frames = v.number; }},
    {nullptr, "--timeout", "SECS", kWhole, 0, 31536000, "600",
     "stop a script that runs longer than SECS seconds, {range}; 0: no limit (default "
     "{default})",
     kRecording, false,
     [](Options &o, const OptionValue &v) { o.timeout = static_cast<int>(v.number); }},
    {nullptr, "--window", nullptr, kSwitch, 0, 0, nullptr,
     "the live preview: the frames in a window in real time, the script restarted when it is "
     "saved; writes a GIF only with -o (keys below)",
     kPreview, true,
     [](Options &o, const OptionValue &) { o.window = true; }},
    {nullptr, "--quit-after", "SECS", kWhole, 1, 86400, nullptr,
     "close the window by itself after SECS seconds, {range}",
     kPreview, false,
     [](Options &o, const OptionValue &v) { o.quit_after = static_cast<int>(v.number); }},
    {nullptr, "--replay", "FILE", kFile, 0, 0, nullptr,
     "play a session recorded in a game by wavefx-trace (a .krotrace file) instead of a "
     "script, comparing each frame with the recorded one; stops at the first that differs",
     kRecording, false,
     [](Options &o, const OptionValue &v) { o.replay = v.text; }},
    {nullptr, "--keep-going", nullptr, kSwitch, 0, 0, nullptr,
     "with --replay, play to the end past differing frames, write the output and say how "
     "many differ",
     kRecording, false,
     [](Options &o, const OptionValue &) { o.keep_going = true; }},
    {nullptr, "--check", nullptr, kSwitch, 0, 0, nullptr,
     "a conformance run of the plug-in instead of a script: its registration, imports, every "
     "function with boundary arguments and frames, all host memory between guard pages; one "
     "line per check, then \"N passed, N failed\"",
     kConformance, true,
     [](Options &o, const OptionValue &) { o.check = true; }},
    {"-h", "--help", nullptr, kSwitch, 0, 0, nullptr, "show this help",
     kInformation, true,
     [](Options &o, const OptionValue &) { o.help = true; }},
    {nullptr, "--version", nullptr, kSwitch, 0, 0, nullptr,
     "show the version, with the Lua, giflib and libpng versions",
     kInformation, true,
     [](Options &o, const OptionValue &) { o.version = true; }},
  };
  return table;
}
// clang-format on

const OptionRow *find_option(const std::string &spelled) {
  for (const OptionRow &row : option_table())
    if (spelled == row.name || (row.short_name != nullptr && spelled == row.short_name))
      return &row;
  return nullptr;
}

void apply_option(const OptionRow &row, const std::string &spelled, const std::string &text,
                  Options &options) {
  int64_t number = 0;
  if (row.kind == ValueKind::kWholeNumber &&
      (!parse_number(text, number) || number < row.low || number > row.high))
    throw UsageError(spelled + " wants a whole number from " + std::to_string(row.low) + " to " +
                     std::to_string(row.high) + ", not '" + text + "'");
  if (row.kind == ValueKind::kFileName && text.empty())
    throw UsageError(spelled + " needs a file name");
  row.store(options, OptionValue{spelled, text, number});
}

std::string option_spelling(const OptionRow &row) {
  std::string spelling = row.short_name != nullptr ? row.short_name + std::string(", ") : "";
  spelling += row.name;
  if (row.value_name != nullptr) spelling += std::string(" ") + row.value_name;
  return spelling;
}

std::string option_help(const OptionRow &row) {
  std::string help = row.help;
  replace(help, "{range}", std::to_string(row.low) + ".." + std::to_string(row.high));
  if (row.default_value != nullptr) replace(help, "{default}", row.default_value);
  return help;
}

}  // namespace kroplay
