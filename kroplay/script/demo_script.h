// The built-in demo, compiled in from examples/demo.lua.
#ifndef KROPLAY_DEMO_SCRIPT_H
#define KROPLAY_DEMO_SCRIPT_H

#include <string_view>

namespace kroplay {

std::string_view demo_script();

}  // namespace kroplay

#endif  // KROPLAY_DEMO_SCRIPT_H
