// kroplay --check: a conformance run of a plug-in file against the host
// contract and the eleven script functions' behaviour, with every host
// object against no-access pages.
#ifndef KROPLAY_CONFORMANCE_CHECK_H
#define KROPLAY_CONFORMANCE_CHECK_H

#include <string>

namespace kroplay {

// Runs every check against the plug-in at `plugin_path`, printing one line
// per check ("ok - ..." or "FAIL - ...") and then "N passed, N failed" on
// stdout. Returns 0 when nothing failed, else 3. A memory fault ends the
// run from the fault handler, also with the tally and status 3.
int run_conformance_check(const std::string &plugin_path);

}  // namespace kroplay

#endif  // KROPLAY_CONFORMANCE_CHECK_H
