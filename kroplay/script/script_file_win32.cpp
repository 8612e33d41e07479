#include <cerrno>
#include <cstdio>
#include <cstring>
#include <lua.hpp>

#include "kroplay/output/wide_names_win32.h"
#include "kroplay/script/script_file.h"

namespace kroplay {
namespace {

struct ScriptReader {
  std::FILE *file;
  char first_line_end;  // '\n' given back for a skipped '#' line, or 0
  char buffer[BUFSIZ];
};

const char *read_script(lua_State *, void *data, size_t *size) {
  auto *reader = static_cast<ScriptReader *>(data);
  if (reader->first_line_end != 0) {
    reader->first_line_end = 0;
    *size = 1;
    return "\n";  // keeps the line numbers
  }
  *size = std::fread(reader->buffer, 1, sizeof reader->buffer, reader->file);
  return *size > 0 ? reader->buffer : nullptr;
}

// Skips a UTF-8 byte order mark and a first line starting with '#'.
void skip_preamble(ScriptReader &reader) {
  char mark[3];
  const size_t n = std::fread(mark, 1, 3, reader.file);
  if (n != 3 || std::memcmp(mark, "\xEF\xBB\xBF", 3) != 0) std::fseek(reader.file, 0, SEEK_SET);
  const int first = std::fgetc(reader.file);
  if (first != '#') {
    if (first != EOF) std::ungetc(first, reader.file);
    return;
  }
  int c;
  while ((c = std::fgetc(reader.file)) != EOF && c != '\n') {
  }
  reader.first_line_end = c == '\n' ? '\n' : 0;
}

}  // namespace

int load_script_file(lua_State *lua, const std::string &path, const char *mode) {
  std::wstring name;
  std::FILE *file = wide_name(path, name) ? _wfopen(name.c_str(), L"rb") : nullptr;
  if (file == nullptr) {
    lua_pushfstring(lua, "cannot open %s: %s", path.c_str(), std::strerror(errno));
    return LUA_ERRFILE;
  }
  ScriptReader reader{file, 0, {}};
  skip_preamble(reader);
  lua_pushfstring(lua, "@%s", path.c_str());
  const int status = lua_load(lua, read_script, &reader, lua_tostring(lua, -1), mode);
  lua_remove(lua, -2);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (!failed) return status;
  lua_pop(lua, 1);
  lua_pushfstring(lua, "cannot read %s", path.c_str());
  return LUA_ERRFILE;
}

}  // namespace kroplay
