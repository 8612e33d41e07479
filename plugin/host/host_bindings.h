// The plug-in's record of host addresses and its only access to the host's
// argument stack. Single-threaded: called only from the host's thread, inside
// an entry point, a script function or the frame hook.
#ifndef WAVEFX_HOST_BINDINGS_H
#define WAVEFX_HOST_BINDINGS_H

#include <cstddef>
#include <cstdint>

#include "kro_abi.h"

namespace wavefx {

// One untyped address per imported host name, a field per row of
// KRO_IMPORTS, filled once by bind_host. Only stack, sp, wide, height,
// buffer and background are ever read; the rest are kept and never
// dereferenced, so a host may answer them with null.
struct HostBindings {
#define WAVEFX_HOST_FIELD(name, use) void *name;
  KRO_IMPORTS(WAVEFX_HOST_FIELD)
#undef WAVEFX_HOST_FIELD
};

extern HostBindings host;

// Calls import_object once per host name, in the host's fixed order, and
// stores each answer unchecked.
void bind_host(kro_import_object import_object);

// [-1, +0] Returns stack[sp], then decrements sp.
int32_t pop_argument();

// [-0, +1] Increments sp, then stores result at stack[sp].
void push_result(int32_t result);

// Current host values, read through their addresses at each call so that a
// host which resizes or reallocates its screens is followed without notice.
inline int32_t screen_width() {
  return *static_cast<const int32_t *>(host.wide);
}
inline int32_t screen_height() {
  return *static_cast<const int32_t *>(host.height);
}
// A screen with no rows or no columns has no pixels: nothing is drawn or
// copied, though every function still takes its arguments and yields its
// result, and the hook still moves the phase.
inline bool screen_is_empty() {
  return screen_width() <= 0 || screen_height() <= 0;
}
inline uint8_t *frame_buffer() {
  return *static_cast<uint8_t *const *>(host.buffer);
}
inline uint8_t *background_bitmap() {
  return *static_cast<uint8_t *const *>(host.background);
}

}  // namespace wavefx

#endif  // WAVEFX_HOST_BINDINGS_H
