// Lua runs precompiled (binary) chunks without verifying them, and a bad
// one can crash it. kroplay loads Lua source text only: the script itself,
// load, loadfile, dofile and require all refuse binary chunks, whatever
// mode a script asks for, and no C code can be loaded (package.loadlib and
// the C searchers are gone, package.cpath is empty).
#ifndef KROPLAY_SOURCE_TEXT_ONLY_H
#define KROPLAY_SOURCE_TEXT_ONLY_H

struct lua_State;

namespace kroplay {

// The mode kroplay passes to every Lua load.
inline constexpr const char *kTextOnly = "t";

// Replaces the standard libraries' loaders (opened already) in `lua`,
// require's searchers too (module_search.h).
void allow_text_chunks_only(lua_State *lua);

}  // namespace kroplay

#endif  // KROPLAY_SOURCE_TEXT_ONLY_H
