// A stand-in for the game runtime, for every program that drives the
// plug-in's code or module directly: the test suites, the soak run and the
// fuzzer. Serves the six host objects the plug-in reads, and for the twenty
// it never reads harmless storage or, with `null_unused_imports`, null.
// Keeps the stack and both bitmaps in heap blocks of exactly their size, so
// that AddressSanitizer flags any access past either end; records every call
// the plug-in makes to the host operations; drives script functions through
// the stack contract. A broken contract goes to `on_failure`: a message and
// an abort, or in the GoogleTest suites a test failure (support/gtest_host.h).
// No test framework behind it. One per process, since the host operations
// carry no context.
#ifndef WAVEFX_TESTS_TEST_HOST_H
#define WAVEFX_TESTS_TEST_HOST_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "kro_abi.h"

struct Registration {
  std::string name;
  kro_function function;
  int parameter_count;
  const char *name_pointer;  // kept to check that the plug-in's strings stay valid
};

// Prints "wavefx host: <what>" and aborts.
[[noreturn]] void abort_host(const std::string &what);

struct TestHost {
  static constexpr int32_t kStackEntries = 256;

  // Host objects, served by address.
  std::unique_ptr<int32_t[]> stack;
  int32_t stack_size = 0;
  int32_t sp = 0;
  int32_t wide = 0;
  int32_t height = 0;
  uint8_t *buffer = nullptr;
  uint8_t *background = nullptr;
  std::unique_ptr<uint8_t[]> buffer_block;
  std::unique_ptr<uint8_t[]> background_block;
  bool null_unused_imports = false;
  int64_t unused_objects[KRO_IMPORT_COUNT] = {};  // the other twenty, by import position

  // What the plug-in did through the host operations, in order.
  std::vector<std::string> events;
  std::vector<Registration> registrations;
  std::vector<std::string> imports;
  std::map<std::string, void *> exports;
  kro_function hook = nullptr;

  // Told of every breach of the contract; kept by reset().
  void (*on_failure)(const std::string &what) = abort_host;
  // Makes the calls of script functions and of the frame hook; null for a
  // plain call. Kept by reset().
  void (*invoke)(kro_function function) = nullptr;

  static TestHost &instance();
  static void register_function(const char *name, kro_function function, int parameter_count);
  static void *import_object(const char *name);
  static void export_object(const char *name, void *address);

  // Forgets all records; a fresh zeroed stack of `stack_entries` entries
  // with sp in its middle, a 0x0 screen, the unread names given storage.
  void reset(int32_t stack_entries = kStackEntries);
  // Runs a plug-in's krolibrary and kromain; a failure unless they
  // registered the eleven functions, imported the 26 names and exported the
  // frame hook, in the contract's order, and did nothing else.
  void load(decltype(&::krolibrary) library, decltype(&::kromain) main);
  // Fresh bitmaps of exactly width x height bytes (none for an empty
  // screen) at new addresses, zero-filled.
  void resize(int32_t width, int32_t height_rows);
  size_t area() const;
  // Calls registration `index` the way the runtime does: its arguments
  // occupy stack[first_slot] upwards, sp points at the last one. A failure
  // unless sp moves by exactly 1 - n; returns the result.
  int32_t call(size_t index, const int32_t *arguments, int32_t first_slot);
  // The same by name, the arguments pushed first to last above sp, which
  // is restored after the result is taken.
  int32_t call(const std::string &name, const std::vector<int32_t> &arguments);
  // Runs the exported frame hook once.
  void frame();
  // Calls a script function or the hook, through `invoke` if set.
  void run(kro_function function) const;

  // The two blocks' bytes, wherever `buffer` and `background` point.
  std::vector<uint8_t> frame_contents() const {
    return {buffer_block.get(), buffer_block.get() + area()};
  }
  std::vector<uint8_t> background_contents() const {
    return {background_block.get(), background_block.get() + area()};
  }
};

#endif  // WAVEFX_TESTS_TEST_HOST_H
