#include "support/plain_host.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#define WAVEFX_FUNCTION(name, count, arguments, result) {#name, count},
const ScriptFunctionInfo kScriptFunctions[PlainHost::kFunctionCount] = {
    KRO_SCRIPT_FUNCTIONS(WAVEFX_FUNCTION)};
#undef WAVEFX_FUNCTION

namespace {

const char *const kImportNames[PlainHost::kImportCount] = {KRO_IMPORT_NAMES};

}  // namespace

void host_failure(const char *what) {
  std::fprintf(stderr, "wavefx host: %s\n", what);
  std::abort();
}

PlainHost &PlainHost::instance() {
  static PlainHost host;
  return host;
}

void PlainHost::register_function(const char *name, kro_function function, int parameter_count) {
  PlainHost &h = instance();
  if (h.registered >= kFunctionCount) host_failure("more than eleven registrations");
  if (h.imported != 0 || h.hook != nullptr) host_failure("registration after kromain");
  const ScriptFunctionInfo &expected = kScriptFunctions[h.registered];
  if (std::strcmp(name, expected.name) != 0 || parameter_count != expected.parameters)
    host_failure("registration table out of order or with a wrong count");
  h.names[h.registered] = name;
  h.functions[h.registered] = function;
  h.parameter_counts[h.registered] = parameter_count;
  ++h.registered;
}

void *PlainHost::import_object(const char *name) {
  PlainHost &h = instance();
  if (h.imported >= kImportCount || h.hook != nullptr) host_failure("import after the export");
  if (std::strcmp(name, kImportNames[h.imported]) != 0) host_failure("imports out of order");
  ++h.imported;
  if (std::strcmp(name, "stack") == 0) return h.stack.get();
  if (std::strcmp(name, "sp") == 0) return &h.sp;
  if (std::strcmp(name, "wide") == 0) return &h.wide;
  if (std::strcmp(name, "height") == 0) return &h.height;
  if (std::strcmp(name, "buffer") == 0) return &h.buffer;
  if (std::strcmp(name, "background") == 0) return &h.background;
  return nullptr;  // never read by the plug-in: any use would crash
}

void PlainHost::export_object(const char *name, void *address) {
  PlainHost &h = instance();
  if (h.imported != kImportCount) host_failure("export before all 26 imports");
  if (h.hook != nullptr || std::strcmp(name, KRO_HOOK_BACKGROUND_TO_BUFFER) != 0)
    host_failure("unexpected export");
  h.hook = reinterpret_cast<kro_function>(address);
}

void PlainHost::reset(int32_t entries) {
  registered = 0;
  imported = 0;
  hook = nullptr;
  stack_size = entries;
  stack.reset(new int32_t[static_cast<size_t>(entries)]());
  sp = -1;
  resize(0, 0);
}

void PlainHost::load() {
  krolibrary(register_function);
  if (registered != kFunctionCount) host_failure("fewer than eleven registrations");
  kromain(import_object, export_object);
  if (hook == nullptr) host_failure("kromain installed no frame hook");
}

size_t PlainHost::area() const {
  return wide > 0 && height > 0 ? static_cast<size_t>(wide) * static_cast<size_t>(height) : 0;
}

void PlainHost::resize(int32_t width, int32_t height_rows) {
  wide = width;
  height = height_rows;
  // new[] of zero bytes still gives a distinct block that no access may touch.
  buffer_block.reset(new uint8_t[area()]());
  background_block.reset(new uint8_t[area()]());
  buffer = buffer_block.get();
  background = background_block.get();
}

int32_t PlainHost::call(int index, const int32_t *arguments, int32_t first_slot) {
  const int n = parameter_counts[index];
  const int32_t room = n > 0 ? n : 1;
  if (first_slot < 0 || first_slot + room > stack_size) host_failure("no room on the stack");
  for (int k = 0; k < n; ++k) stack[static_cast<size_t>(first_slot + k)] = arguments[k];
  sp = first_slot + n - 1;
  const int32_t expected_sp = sp + 1 - n;
  functions[index]();
  if (sp != expected_sp) host_failure("a script function broke the stack contract");
  return stack[static_cast<size_t>(sp)];
}

void PlainHost::frame() {
  hook();
}
