// kroplay's manual page, kroplay.1, in roff: the usage lines, options,
// exit statuses and documents of --help, from the same tables and texts,
// with the preview's keys.
#ifndef KROPLAY_MAN_PAGE_H
#define KROPLAY_MAN_PAGE_H

#include <string>
#include <utility>
#include <vector>

namespace kroplay {

// `keys` are the preview's keys and what each does, in the order listed;
// `version` names the release in the page's header.
std::string man_page(const std::vector<std::pair<std::string, std::string>> &keys,
                     const std::string &version);

}  // namespace kroplay

#endif  // KROPLAY_MAN_PAGE_H
