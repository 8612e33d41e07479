// A small plug-in for testing hosts, built in several variants: one that
// keeps the host contract (WELL_BEHAVED) and one for each way of breaking it.
// Exactly one BROKEN_* or WELL_BEHAVED macro is defined per build.
//
// Functions: ADD(a, b) gives a + b; NULL_IMPORTS() gives how many of the
// names fetched in kromain the host answered with null. The hook copies the
// background into the frame buffer.
#include <cstdint>
#include <cstring>

#include "kro_abi.h"

namespace {

const char *const kNames[] = {KRO_IMPORT_NAMES};
constexpr int kNameCount = sizeof kNames / sizeof kNames[0];
void *imported[kNameCount];

int32_t *stack() {
  return static_cast<int32_t *>(imported[0]);
}
int32_t &sp() {
  return *static_cast<int32_t *>(imported[8]);
}
int32_t pop() {
  return stack()[sp()--];
}
void push(int32_t value) {
  stack()[++sp()] = value;
}

[[maybe_unused]] void ADD() {
  const int32_t b = pop();
#if defined(BROKEN_POPS_TOO_FEW)
  const int32_t a = 0;  // the first argument is left on the stack
#elif defined(BROKEN_POPS_TOO_MANY)
  const int32_t a = pop();
  pop();  // one entry below the arguments taken as well
#else
  const int32_t a = pop();
#endif
  push(a + b);
}

void NULL_IMPORTS() {
  int32_t nulls = 0;
  for (void *address : imported) nulls += address == nullptr;
  push(nulls);
}

void copy_background() {
  const int32_t w = *static_cast<int32_t *>(imported[9]);
  const int32_t h = *static_cast<int32_t *>(imported[10]);
  uint8_t *buffer = *static_cast<uint8_t **>(imported[5]);
  const uint8_t *background = *static_cast<uint8_t **>(imported[6]);
  if (w > 0 && h > 0) std::memcpy(buffer, background, static_cast<size_t>(w) * h);
#ifdef BROKEN_HOOK_MOVES_SP
  --sp();
#endif
}

}  // namespace

extern "C" {

KRO_EXPORT void krolibrary(kro_register_function register_function) {
#if defined(BROKEN_NULL_FUNCTION)
  register_function("ADD", nullptr, 2);
#elif defined(BROKEN_NEGATIVE_COUNT)
  register_function("ADD", ADD, -1);
#else
  register_function("ADD", ADD, 2);
#endif
  register_function("NULL_IMPORTS", NULL_IMPORTS, 0);
}

KRO_EXPORT void kromain(kro_import_object import_object, kro_export_object export_object) {
  for (int i = 0; i < kNameCount; ++i) imported[i] = import_object(kNames[i]);
#ifdef BROKEN_EXPORTS_OTHER
  export_object("buffer_to_screen", reinterpret_cast<void *>(copy_background));
#else
  export_object(KRO_HOOK_BACKGROUND_TO_BUFFER, reinterpret_cast<void *>(copy_background));
#endif
}

#ifndef BROKEN_NO_KROEND
KRO_EXPORT void kroend(kro_import_object, kro_export_object) {}
#endif

}  // extern "C"
