// wavefx-trace: a plug-in of the same interface that loads the real one,
// forwards its three entry points, and records through trace_session.h
// every call of a registered function and every frame. The game sees the
// same registrations, imports, export, stack results and frames.
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "host_platform.h"
#include "kro_abi.h"
#include "trace_session.h"

// 32-bit Windows hosts may call with a stack aligned to 4 bytes only.
#if defined(_WIN32) && defined(__i386__)
#define WAVEFX_TRACE_ENTRY __attribute__((force_align_arg_pointer))
#else
#define WAVEFX_TRACE_ENTRY
#endif

namespace wavefx_trace {
namespace {

// Registered functions beyond this many are passed on unwrapped, untraced.
constexpr int kMaxFunctions = 64;

struct Registered {
  kro_function function;
  int parameter_count;
};

RealPlugin real;
bool loaded = false;
kro_register_function host_register = nullptr;
kro_import_object host_import = nullptr;
kro_export_object host_export = nullptr;
Registered registered[kMaxFunctions];
int registered_count = 0;
kro_function real_hook = nullptr;

// A registered function through the shim: its arguments read where the
// stack contract puts them, without popping, then the real function, then
// its result from where the first argument was.
void call_registered(int index) noexcept {
  const Registered &f = registered[index];
  const HostObjects &h = host_objects();
  const int count = f.parameter_count;
  int32_t arguments[255];
  const bool readable = h.stack != nullptr && h.sp != nullptr && count >= 0 && count <= 255;
  // Unsigned index arithmetic, as the plug-in's own: a wrapped sp is the
  // plug-in's to meet, never undefined behaviour here.
  const uint32_t first =
      readable ? static_cast<uint32_t>(*h.sp) - static_cast<uint32_t>(count) + 1u : 0;
  for (int i = 0; readable && i < count; ++i)
    arguments[i] = h.stack[static_cast<int32_t>(first + static_cast<uint32_t>(i))];
  if (readable) before_call();
  f.function();
  if (readable) after_call(index, arguments, count, h.stack[static_cast<int32_t>(first)]);
}

template <int Index>
WAVEFX_TRACE_ENTRY void registered_through_shim() noexcept {
  call_registered(Index);
}

template <int... Index>
constexpr kro_function wrapper_at(int index, std::integer_sequence<int, Index...>) {
  constexpr kro_function wrappers[] = {registered_through_shim<Index>...};
  return wrappers[index];
}

WAVEFX_TRACE_ENTRY void register_through_shim(const char *name, kro_function function,
                                              int parameter_count) noexcept {
  if (registered_count == kMaxFunctions || function == nullptr || parameter_count < 0 ||
      parameter_count > 255)
    return host_register(name, function, parameter_count);
  const int index = registered_count++;
  registered[index] = {function, parameter_count};
  record_function(name, parameter_count);
  host_register(name, wrapper_at(index, std::make_integer_sequence<int, kMaxFunctions>()),
                parameter_count);
}

// The answers the real plug-in gets, noted for the shim's own reading.
WAVEFX_TRACE_ENTRY void *import_through_shim(const char *name) noexcept {
  void *address = host_import(name);
  if (name == nullptr) return address;
  HostObjects &h = host_objects();
  if (std::strcmp(name, "stack") == 0) h.stack = static_cast<int32_t *>(address);
  if (std::strcmp(name, "sp") == 0) h.sp = static_cast<int32_t *>(address);
  if (std::strcmp(name, "wide") == 0) h.wide = static_cast<int32_t *>(address);
  if (std::strcmp(name, "height") == 0) h.height = static_cast<int32_t *>(address);
  if (std::strcmp(name, "buffer") == 0) h.buffer = static_cast<uint8_t **>(address);
  if (std::strcmp(name, "background") == 0) h.background = static_cast<uint8_t **>(address);
  if (std::strcmp(name, "palette") == 0) h.palette = static_cast<const uint8_t *>(address);
  if (std::strcmp(name, "kro_text_out") == 0)
    h.text_out = reinterpret_cast<void (*)(const char *)>(address);
  return address;
}

WAVEFX_TRACE_ENTRY void hook_through_shim() noexcept {
  before_frame();
  real_hook();
  after_frame();
}

WAVEFX_TRACE_ENTRY void export_through_shim(const char *name, void *address) noexcept {
  if (name != nullptr && address != nullptr &&
      std::strcmp(name, KRO_HOOK_BACKGROUND_TO_BUFFER) == 0) {
    real_hook = reinterpret_cast<kro_function>(address);
    address = reinterpret_cast<void *>(hook_through_shim);
  }
  host_export(name, address);
}

}  // namespace
}  // namespace wavefx_trace

extern "C" {

KRO_EXPORT WAVEFX_TRACE_ENTRY void krolibrary(kro_register_function register_function) {
  using namespace wavefx_trace;
  try {
    std::string why;
    if (!loaded && !load_real_plugin(real, why)) {
      const std::string message = "wavefx-trace: no plug-in to trace: " + why;
      std::fprintf(stderr, "%s\n", message.c_str());
      report_once(message.c_str());
      return;
    }
  } catch (...) {
    return;
  }
  loaded = true;
  start_trace();
  host_register = register_function;
  real.krolibrary(register_through_shim);
}

KRO_EXPORT WAVEFX_TRACE_ENTRY void kromain(kro_import_object import_object,
                                           kro_export_object export_object) {
  using namespace wavefx_trace;
  if (loaded) {
    host_import = import_object;
    host_export = export_object;
    real.kromain(import_through_shim, export_through_shim);
  } else {
    host_objects().text_out =
        reinterpret_cast<void (*)(const char *)>(import_object("kro_text_out"));
  }
  // Says now, through the host's text output, what went wrong before it.
  flush_trace();
}

KRO_EXPORT WAVEFX_TRACE_ENTRY void kroend(kro_import_object import_object,
                                          kro_export_object export_object) {
  using namespace wavefx_trace;
  if (!loaded) return;
  real.kroend(import_object, export_object);
  flush_trace();
}

}  // extern "C"
