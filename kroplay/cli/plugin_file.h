// Where kroplay finds the plug-in when --plugin names none.
#ifndef KROPLAY_PLUGIN_FILE_H
#define KROPLAY_PLUGIN_FILE_H

#include <string>

namespace kroplay {

// The plug-in beside the running executable; if there is none there but
// there is one in the installed layout's library folder (bin/kroplay,
// lib/wavefx/plugin/wavefx.so), that one.
std::string default_plugin_path();

}  // namespace kroplay

#endif  // KROPLAY_PLUGIN_FILE_H
