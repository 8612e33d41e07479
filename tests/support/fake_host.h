// A recording stand-in for the game runtime: serves the host objects,
// records every call the plug-in makes to the host operations, and drives
// script functions through the stack contract. One per process, since the
// host operations carry no context.
#ifndef WAVEFX_TESTS_FAKE_HOST_H
#define WAVEFX_TESTS_FAKE_HOST_H

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

// A heap bitmap of exactly width x height bytes, so that AddressSanitizer
// flags any access past either end.
class Bitmap {
 public:
  Bitmap(int32_t width, int32_t height);
  uint8_t *data() { return bytes_.get(); }
  size_t size() const { return size_; }
  std::vector<uint8_t> contents() const { return {bytes_.get(), bytes_.get() + size_}; }

 private:
  size_t size_;
  std::unique_ptr<uint8_t[]> bytes_;
};

struct FakeHost {
  // Host objects, served by address.
  std::vector<int32_t> stack = std::vector<int32_t>(256, 0);
  int32_t sp = 100;
  int32_t wide = 0;
  int32_t height = 0;
  uint8_t *buffer = nullptr;
  uint8_t *background = nullptr;
  std::unique_ptr<Bitmap> buffer_bitmap;
  std::unique_ptr<Bitmap> background_bitmap;
  bool null_unused_imports = false;
  std::map<std::string, int32_t> unused_objects;  // harmless storage for the other twenty

  // What the plug-in did through the host operations, in order.
  std::vector<std::string> events;
  std::vector<Registration> registrations;
  std::vector<std::string> imports;
  std::map<std::string, void *> exports;

  static FakeHost &instance();
  static void register_function(const char *name, kro_function function, int parameter_count);
  static void *import_object(const char *name);
  static void export_object(const char *name, void *address);

  // Clears all records and host state; fresh 0x0 screen.
  void reset();
  // Fresh bitmaps of exactly width x height bytes at new addresses.
  void resize(int32_t width, int32_t height);
  // Calls a registered script function the way the runtime does: pushes the
  // arguments first to last, calls, checks the stack effect, pops the result.
  int32_t call(const std::string &name, const std::vector<int32_t> &arguments);
  // Runs the exported frame hook once.
  void frame();

  std::vector<uint8_t> frame_contents() const { return buffer_bitmap->contents(); }
  std::vector<uint8_t> background_contents() const { return background_bitmap->contents(); }
};

#endif  // WAVEFX_TESTS_FAKE_HOST_H
