// require's search for Lua source modules: the preload table, then the
// folder beside the script, then package.path. The folder is joined to the
// module's path as it is, so any legal folder name works (a path template
// would read its ';' and '?'). Only regular files are taken, opened without
// blocking: a FIFO, a device or a folder is an error naming the module and
// the file. No C module can be loaded.
#ifndef KROPLAY_MODULE_SEARCH_H
#define KROPLAY_MODULE_SEARCH_H

#include <string>

struct lua_State;
typedef int (*lua_CFunction)(lua_State *);

namespace kroplay {

// Replaces package's searchers in `lua` (its standard libraries opened
// already) and removes package.loadlib and package.cpath's use.
void install_module_search(lua_State *lua);

// Makes require look for modules in `folder` (NAME.lua, then
// NAME/init.lua, dots in the name separating folders) before
// package.path (an empty `folder`: package.path alone), and call `found`
// with the path of each module file it is about to compile. Called outside
// any protected call: raises nothing but a memory error.
void find_modules_beside(lua_State *lua, const std::string &folder, lua_CFunction found);

}  // namespace kroplay

#endif  // KROPLAY_MODULE_SEARCH_H
