// A stand-in for the game runtime with no test framework behind it, for the
// programs that drive the plug-in outside GoogleTest (the fuzzer and the
// soak run). Serves the six host objects the plug-in reads and null for the
// twenty it never reads, keeps every host object in a heap block of exactly
// its size, and aborts with a message when the plug-in breaks the stack
// contract. One per process, since the host operations carry no context.
#ifndef WAVEFX_TESTS_PLAIN_HOST_H
#define WAVEFX_TESTS_PLAIN_HOST_H

#include <cstddef>
#include <cstdint>
#include <memory>

#include "kro_abi.h"

// Prints "wavefx host: <what>" and aborts.
[[noreturn]] void host_failure(const char *what);

struct PlainHost {
  static constexpr int kFunctionCount = KRO_SCRIPT_FUNCTION_COUNT;
  static constexpr int kImportCount = KRO_IMPORT_COUNT;

  // Host objects, served by address.
  std::unique_ptr<int32_t[]> stack;
  int32_t stack_size = 0;
  int32_t sp = -1;
  int32_t wide = 0;
  int32_t height = 0;
  uint8_t *buffer = nullptr;
  uint8_t *background = nullptr;
  std::unique_ptr<uint8_t[]> buffer_block;
  std::unique_ptr<uint8_t[]> background_block;

  // What the plug-in handed over, in order.
  const char *names[kFunctionCount] = {};
  kro_function functions[kFunctionCount] = {};
  int parameter_counts[kFunctionCount] = {};
  int registered = 0;
  int imported = 0;
  kro_function hook = nullptr;

  static PlainHost &instance();
  static void register_function(const char *name, kro_function function, int parameter_count);
  static void *import_object(const char *name);
  static void export_object(const char *name, void *address);

  // Forgets what the plug-in handed over; a fresh stack of exactly
  // `entries` entries and a 0x0 screen.
  void reset(int32_t entries);
  // Runs krolibrary and kromain and checks the registration table and the
  // order of imports and export.
  void load();
  // Fresh bitmaps of exactly width x height bytes (none for an empty
  // screen) at new addresses, zero-filled.
  void resize(int32_t width, int32_t height_rows);
  size_t area() const;
  // Calls registered function `index` the way the runtime does: its
  // arguments occupy stack[first_slot] upwards, sp points at the last one.
  // Aborts unless sp moves by exactly 1 - n; returns the result.
  int32_t call(int index, const int32_t *arguments, int32_t first_slot);
  // Runs the installed frame hook once.
  void frame();
};

// The eleven script functions in registration order, with their counts.
struct ScriptFunctionInfo {
  const char *name;
  int parameters;
};
extern const ScriptFunctionInfo kScriptFunctions[PlainHost::kFunctionCount];

#endif  // WAVEFX_TESTS_PLAIN_HOST_H
