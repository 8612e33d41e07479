// kroplay's options, one row each: how it is spelled, the value it takes,
// its range and default, the modes it goes with and its line in --help.
// The parser, --help, the range errors and the defaults all read this
// table, so a new option is one row here and its use.
#ifndef KROPLAY_OPTION_TABLE_H
#define KROPLAY_OPTION_TABLE_H

#include <cstdint>
#include <string>
#include <vector>

#include "kroplay/cli/options.h"

namespace kroplay {

// --scale: output pixels per screen pixel in a recording run, window pixels
// per screen pixel with --window.
constexpr int kMaxOutputScale = 16;
constexpr int kMaxWindowScale = 64;
// --gap: PNG pixels between sprite sheet cells.
constexpr int kMaxSheetGap = 256;

// What kroplay does in a run; each option goes with some of these.
enum Mode : unsigned {
  kRecording = 1,    // a script recorded into a GIF or PNG
  kPreview = 2,      // --window: the live preview
  kConformance = 4,  // --check: the plug-in's conformance run
  kInformation = 8,  // --help, --version
};

enum class ValueKind {
  kNone,         // a switch; "--name=value" is refused
  kWholeNumber,  // digits only, from `low` to `high`
  kFileName,     // any text but the empty one
  kText,         // checked by the row's own store
};

// An option's value as the parser hands it to its row.
struct OptionValue {
  const std::string &spelled;  // the option as given: "-o" or "--output"
  const std::string &text;
  int64_t number;  // kWholeNumber: the value; otherwise 0
};

struct OptionRow {
  const char *short_name;  // "-o", or nullptr
  const char *name;        // "--output"
  const char *value_name;  // "FILE", shown in --help; nullptr for a switch
  ValueKind kind;
  int64_t low, high;  // kWholeNumber: the range, both ends included
  // The value before the command line is read, through `store` like a
  // given one; nullptr: the field keeps its empty value, which the help
  // text explains.
  const char *default_value;
  // One line for --help; "{range}" stands for "low..high" and "{default}"
  // for the default value.
  std::string help;
  unsigned modes;     // the Modes it goes with; --check refuses the others
  bool selects_mode;  // giving it chooses its mode: it opens its usage line
  // Puts the value into the options. Throws UsageError for a value that
  // the kind alone does not rule out.
  void (*store)(Options &options, const OptionValue &value);
};

// Every option, in the order --help lists them.
const std::vector<OptionRow> &option_table();

// The row of "-o", "--output" and the like; nullptr for none.
const OptionRow *find_option(const std::string &spelled);

// Checks `text` against the row's kind and range and stores it. Throws
// UsageError naming `spelled`, the option as the user wrote it.
void apply_option(const OptionRow &row, const std::string &spelled, const std::string &text,
                  Options &options);

// "-o, --output FILE": the option and its value as --help and the docs
// show them.
std::string option_spelling(const OptionRow &row);

// The row's help with its range and default filled in.
std::string option_help(const OptionRow &row);

}  // namespace kroplay

#endif  // KROPLAY_OPTION_TABLE_H
