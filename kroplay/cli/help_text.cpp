#include "kroplay/cli/help_text.h"

#include <vector>

#include "kroplay/cli/option_table.h"
#include "kroplay/tuning/preview_keys.h"

namespace kroplay {
namespace {

constexpr size_t kLineWidth = 80;
constexpr size_t kTermIndent = 2;
constexpr size_t kTextColumn = 21;  // room for "-o, --output FILE"

std::vector<std::string> split_words(const std::string &text) {
  std::vector<std::string> words;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) words.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

// `words` wrapped at kLineWidth: the first line goes on from a line
// `column` wide, the others start at `indent`.
std::string wrap(const std::vector<std::string> &words, size_t column, size_t indent) {
  std::string out;
  bool line_start = true;  // no word yet on this line
  for (const std::string &word : words) {
    if (!line_start && column + 1 + word.size() > kLineWidth) {
      out += "\n" + std::string(indent, ' ');
      column = indent;
      line_start = true;
    }
    if (!line_start) {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
    line_start = false;
  }
  return out + "\n";
}

// A usage line after `lead`: "kroplay", the options that choose `mode`,
// `operand`, then each other option of the mode, and `tail`.
std::string usage_line(const std::string &lead, unsigned mode, const char *operand,
                       const char *tail) {
  std::vector<std::string> words = {"kroplay"};
  std::string choosers;
  for (const OptionRow &row : option_table())
    if (row.selects_mode && (row.modes & mode) != 0)
      choosers += (choosers.empty() ? "" : " | ") + std::string(row.name);
  for (const std::string &word : split_words(choosers + " " + operand)) words.push_back(word);
  for (const OptionRow &row : option_table())
    if (!row.selects_mode && (row.modes & mode) != 0) {
      const char *name = row.short_name != nullptr ? row.short_name : row.name;
      words.push_back("[" + std::string(name) +
                      (row.value_name != nullptr ? std::string(" ") + row.value_name : "") + "]");
    }
  for (const std::string &word : split_words(tail)) words.push_back(word);
  return lead + wrap(words, lead.size(), lead.size() + words[0].size() + 1);
}

}  // namespace

std::string help_entry(const std::string &term, const std::string &text) {
  std::string entry = std::string(kTermIndent, ' ') + term;
  // At least two spaces between the term and its text.
  if (entry.size() + 2 > kTextColumn)
    entry += "\n" + std::string(kTextColumn, ' ');
  else
    entry.resize(kTextColumn, ' ');
  return entry + wrap(split_words(text), kTextColumn, kTextColumn);
}

const char *const kDescription =
    "Runs a Lua script against a plug-in the way the game runtime does and records\n"
    "every composed frame into an animated GIF (or a PNG). Without a script, plays\n"
    "the built-in demo.\n";

const char *const kDocumentsText =
    "Documents: README.md and docs/ beside kroplay (the zip and the tarball), or "
    "in\n" KROPLAY_PACKAGE_DOC_DIR "/ (the Debian package, which also has man kroplay).\n";

const char *const kExitStatusText =
    "Exit status: 0 done (or the script's os.exit status), 1 script or file\n"
    "error or a limit reached, 2 bad command line, 3 plug-in cannot be loaded\n"
    "or breaks the host contract (or fails --check).\n";

std::string usage_text() {
  return usage_line("usage: ", kRecording, "[SCRIPT.lua]", "") +
         usage_line("       ", kPreview, "[SCRIPT.lua]", "[...]") +
         usage_line("       ", kConformance, "", "") + usage_line("       ", kInformation, "", "");
}

std::string help_text(const std::string &preview_keys) {
  std::string help = usage_text() + "\n" + kDescription +
                     "\n"
                     "Options (the value after a space or '='):\n";
  for (const OptionRow &row : option_table())
    help += help_entry(option_spelling(row), option_help(row));
  return help + "\n" + preview_keys + "\n" + kExitStatusText + "\n" + kDocumentsText;
}

std::string keys_for_help() {
  std::string help = "Keys in the window (--window):\n";
  for (const KeyEntry &entry : key_entries()) {
    std::string keys;
    for (const std::string &key : entry.keys) keys += (keys.empty() ? "" : ", ") + key;
    help += help_entry(keys, entry.label);
  }
  return help;
}

}  // namespace kroplay
