#include "host_bindings.h"

namespace wavefx {

HostBindings host;

void bind_host(kro_import_object import_object) {
#define WAVEFX_IMPORT(name, use) host.name = import_object(#name);
  KRO_IMPORTS(WAVEFX_IMPORT)
#undef WAVEFX_IMPORT
}

// The host's sp, read through its address at every pop and push. Both move
// it in unsigned arithmetic: an extreme sp from the host wraps, never a
// signed overflow (undefined behaviour) in the plug-in.
static int32_t *stack_pointer() {
  return static_cast<int32_t *>(host.sp);
}

int32_t pop_argument() {
  int32_t *sp = stack_pointer();
  const int32_t value = static_cast<int32_t *>(host.stack)[*sp];
  *sp = static_cast<int32_t>(static_cast<uint32_t>(*sp) - 1u);
  return value;
}

void push_result(int32_t result) {
  int32_t *sp = stack_pointer();
  *sp = static_cast<int32_t>(static_cast<uint32_t>(*sp) + 1u);
  static_cast<int32_t *>(host.stack)[*sp] = result;
}

}  // namespace wavefx
