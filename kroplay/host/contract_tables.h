// The contract header's lists as C++ tables, for the hosts that walk them.
#ifndef KROPLAY_CONTRACT_TABLES_H
#define KROPLAY_CONTRACT_TABLES_H

#include <cstddef>

#include "kro_abi.h"

namespace kroplay {

struct ScriptFunctionInfo {
  const char *name;
  int parameters;
  const char *arguments;  // their names, first to last
  const char *result;
};

// The eleven script functions, in registration order.
#define KROPLAY_FUNCTION_ENTRY(name, count, arguments, result) {#name, count, arguments, result},
inline constexpr ScriptFunctionInfo kScriptFunctions[] = {
    KRO_SCRIPT_FUNCTIONS(KROPLAY_FUNCTION_ENTRY)};
#undef KROPLAY_FUNCTION_ENTRY
static_assert(std::size(kScriptFunctions) == KRO_SCRIPT_FUNCTION_COUNT);

struct ImportInfo {
  const char *name;
  int use;  // KRO_IMPORT_READ, KRO_IMPORT_UNREAD_DATA or KRO_IMPORT_UNREAD_SERVICE
};

// The 26 names kromain imports, in order.
#define KROPLAY_IMPORT_ENTRY(name, use) {#name, use},
inline constexpr ImportInfo kImports[] = {KRO_IMPORTS(KROPLAY_IMPORT_ENTRY)};
#undef KROPLAY_IMPORT_ENTRY
static_assert(std::size(kImports) == KRO_IMPORT_COUNT);

// The imports fetched but never read, which a host may answer with null.
inline constexpr int kUnreadImports = [] {
  int count = 0;
  for (const ImportInfo &import : kImports) count += import.use != KRO_IMPORT_READ;
  return count;
}();
static_assert(kUnreadImports == KRO_IMPORT_UNREAD_COUNT);

}  // namespace kroplay

#endif  // KROPLAY_CONTRACT_TABLES_H
