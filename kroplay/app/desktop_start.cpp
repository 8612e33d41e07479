#include "kroplay/app/desktop_start.h"

namespace kroplay {

Options parse_desktop_options(const std::vector<std::string> &arguments) {
  std::vector<std::string> previewing = arguments;
  previewing.insert(previewing.begin(), "--window");
  try {
    const Options options = parse_options(previewing);
    if (!options.help && !options.version) return options;
  } catch (const UsageError &) {
    // --check, or options only a recording run takes: as given.
  }
  return parse_options(arguments);
}

}  // namespace kroplay
