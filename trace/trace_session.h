// What the shim records: the file, its buffer, and the last background and
// palette written, so that only their changes are written again. Called
// only from the shim's entry points and wrappers, on the host's one thread;
// nothing here throws.
#ifndef WAVEFX_TRACE_TRACE_SESSION_H
#define WAVEFX_TRACE_TRACE_SESSION_H

#include <cstdint>

namespace wavefx_trace {

// The host objects the shim reads, from the answers of import_object the
// real plug-in asked for. Any may be null.
struct HostObjects {
  int32_t *stack = nullptr;
  int32_t *sp = nullptr;
  int32_t *wide = nullptr;
  int32_t *height = nullptr;
  uint8_t **buffer = nullptr;
  uint8_t **background = nullptr;
  const uint8_t *palette = nullptr;
  void (*text_out)(const char *) = nullptr;
};
HostObjects &host_objects();

// Opens the trace file and writes its header.
void start_trace() noexcept;
// Reports a reason the game is not traced, once, through the host's text
// output when it has one (else on stderr).
void report_once(const char *what) noexcept;
// A registered function, in registration order.
void record_function(const char *name, int parameter_count) noexcept;
// Around a call of registered function `index` with `arguments` read
// before it: the background as the call finds it, then the call.
void before_call() noexcept;
void after_call(int index, const int32_t *arguments, int count, int32_t result) noexcept;
// Around the frame hook: the screen, background and palette it finds, then
// the composed frame's hash.
void before_frame() noexcept;
void after_frame() noexcept;
// Writes what is buffered.
void flush_trace() noexcept;

}  // namespace wavefx_trace

#endif  // WAVEFX_TRACE_TRACE_SESSION_H
