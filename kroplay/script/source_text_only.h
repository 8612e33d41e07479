// Lua runs precompiled (binary) chunks without verifying them, and a bad
// one can crash it. kroplay loads Lua source text only: the script itself,
// load, loadfile, dofile and require all refuse binary chunks, whatever
// mode a script asks for, and no C code can be loaded (package.loadlib and
// the C searchers are gone, package.cpath is empty).
#ifndef KROPLAY_SOURCE_TEXT_ONLY_H
#define KROPLAY_SOURCE_TEXT_ONLY_H

#include <string>

struct lua_State;
typedef int (*lua_CFunction)(lua_State *);

namespace kroplay {

// The mode kroplay passes to every Lua load.
inline constexpr const char *kTextOnly = "t";

// Replaces the standard libraries' loaders (opened already) in `lua`.
// Throws std::bad_alloc.
void allow_text_chunks_only(lua_State *lua);

// Makes require look for modules in `folder` (?.lua, then ?/init.lua)
// before package.path (an empty `folder`: package.path alone), and call
// `found` with the path of each module file it is about to compile. Called
// outside any protected call: raises nothing but a memory error.
void find_modules_beside(lua_State *lua, const std::string &folder, lua_CFunction found);

}  // namespace kroplay

#endif  // KROPLAY_SOURCE_TEXT_ONLY_H
