// The three exported entry points: the only symbols the library exports.
#include "../drawing/drawing.h"
#include "../effects/compose_frame.h"
#include "../effects/wave_effect.h"
#include "host_bindings.h"
#include "kro_abi.h"

extern "C" {

KRO_EXPORT void krolibrary(kro_register_function register_function) {
  using namespace wavefx;
  register_function("START_RIPPLE", START_RIPPLE, 3);
  register_function("STOP_RIPPLE", STOP_RIPPLE, 0);
  register_function("START_DISTORT", START_DISTORT, 3);
  register_function("STOP_DISTORT", STOP_DISTORT, 0);
  register_function("CHANGE_RVAL", CHANGE_RVAL, 2);
  register_function("CHANGE_DVAL", CHANGE_DVAL, 2);
  register_function("FILL", FILL, 1);
  register_function("PUT_HLINE", PUT_HLINE, 2);
  register_function("PUT_VLINE", PUT_VLINE, 2);
  register_function("HOW_WIDE", HOW_WIDE, 0);
  register_function("HOW_HIGH", HOW_HIGH, 0);
}

KRO_EXPORT void kromain(kro_import_object import_object, kro_export_object export_object) {
  wavefx::bind_host(import_object);
  export_object(KRO_HOOK_BACKGROUND_TO_BUFFER, reinterpret_cast<void *>(wavefx::compose_frame));
}

KRO_EXPORT void kroend(kro_import_object, kro_export_object) {}

}  // extern "C"
