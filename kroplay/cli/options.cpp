#include "kroplay/cli/options.h"

#include "kroplay/base/nearest_name.h"
#include "kroplay/base/path_name.h"
#include "kroplay/cli/option_table.h"
#include "kroplay/cli/plugin_file.h"
#include "kroplay/host/plugin_loader.h"

namespace kroplay {
namespace {

// "unknown option '--fsp'; did you mean --fps?": the nearest long name.
UsageError unknown_option(const std::string &spelled) {
  std::vector<std::string> names;
  for (const OptionRow &row : option_table()) names.push_back(row.name);
  const std::string nearest = nearest_name(spelled, names);
  return UsageError("unknown option '" + spelled + "'" +
                    (nearest.empty() ? "" : "; did you mean " + nearest + "?"));
}

// Options that make sense only together, checked once all are read.
void check_combinations(const Options &options, bool have_script,
                        const std::vector<const OptionRow *> &given) {
  if (options.check) {
    bool only_conformance = !have_script;
    for (const OptionRow *row : given)
      if ((row->modes & (kConformance | kInformation)) == 0) only_conformance = false;
    if (!only_conformance) throw UsageError("--check runs no script; it takes only --plugin");
  }
  if (!options.replay.empty() && have_script)
    throw UsageError("--replay plays a trace instead of a script; give one or the other");
  if (options.keep_going && options.replay.empty())
    throw UsageError("--keep-going goes with --replay");
  if (!options.window && options.quit_after != 0) throw UsageError("--quit-after needs --window");
  if (!options.window && options.scale > kMaxOutputScale)
    throw UsageError("--scale wants a whole number from 1 to " + std::to_string(kMaxOutputScale) +
                     " for the output, not '" + std::to_string(options.scale) + "' (up to " +
                     std::to_string(kMaxWindowScale) + " with --window)");
  if (options.columns != 0 && !is_png_output(options.output))
    throw UsageError("--columns lays out a PNG sprite sheet; it needs -o FILE.png");
  if (options.gap != 0 && !is_png_output(options.output))
    throw UsageError("--gap spaces the cells of a PNG sprite sheet; it needs -o FILE.png");
  if (options.hash && options.output == "-")
    throw UsageError("--hash and -o - would both write to standard output");
  if (options.window && (is_png_output(options.output) || options.output == "-"))
    throw UsageError("--window writes only a GIF file with -o, not " +
                     std::string(options.output == "-" ? "standard output" : "a PNG"));
  if (options.window && !options.frames.all)
    throw UsageError("--frames chooses frames of a recording run; it does not go with --window");
  if (options.window && options.seamless)
    throw UsageError("--seamless ends a recording run; it does not go with --window");
}

}  // namespace

Options parse_options(const std::vector<std::string> &arguments) {
  Options options;
  for (const OptionRow &row : option_table())
    if (row.default_value != nullptr) apply_option(row, row.name, row.default_value, options);
  std::vector<const OptionRow *> given;
  bool have_script = false, options_ended = false;
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
    const size_t equals = arg.find('=');
    const bool inline_value = arg.compare(0, 2, "--") == 0 && equals != std::string::npos;
    std::string value = inline_value ? arg.substr(equals + 1) : std::string();
    if (inline_value) arg.erase(equals);
    const OptionRow *row = find_option(arg);
    if (row == nullptr) throw unknown_option(arg);
    if (row->kind == ValueKind::kNone) {
      if (inline_value) throw UsageError(arg + " takes no value");
    } else if (!inline_value) {
      if (i + 1 >= arguments.size()) throw UsageError(arg + " needs a value");
      value = arguments[++i];
    }
    apply_option(*row, arg, value, options);
    given.push_back(row);
  }
  check_combinations(options, have_script, given);
  return options;
}

std::string output_type_refusal(const std::string &output) {
  const std::string name = file_name_of(output);
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return "";
  std::string extension = name.substr(dot);
  for (char &c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (extension == ".gif" || extension == ".png") return "";
  // Named whole, as the user gave it, like every name from the command line.
  return "-o " + output +
         ": kroplay writes only GIF (.gif) and PNG (.png) files, or - for standard output";
}

std::string plugin_path(const Options &options) {
  return options.plugin.empty() ? default_plugin_path() : options.plugin;
}

}  // namespace kroplay
