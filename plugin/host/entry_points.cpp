// The three exported entry points: the only symbols the library exports.
#include "../drawing/drawing.h"
#include "../effects/compose_frame.h"
#include "../effects/wave_effect.h"
#include "host_bindings.h"
#include "kro_abi.h"

extern "C" {

KRO_EXPORT void krolibrary(kro_register_function register_function) {
  using namespace wavefx;
#define WAVEFX_REGISTER(name, count, arguments, result) register_function(#name, name, count);
  KRO_SCRIPT_FUNCTIONS(WAVEFX_REGISTER)
#undef WAVEFX_REGISTER
}

KRO_EXPORT void kromain(kro_import_object import_object, kro_export_object export_object) {
  wavefx::bind_host(import_object);
  export_object(KRO_HOOK_BACKGROUND_TO_BUFFER, reinterpret_cast<void *>(wavefx::compose_frame));
}

KRO_EXPORT void kroend(kro_import_object, kro_export_object) {}

}  // extern "C"
