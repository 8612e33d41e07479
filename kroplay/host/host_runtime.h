// The host side of the plug-in contract, without any script language: the
// host objects served through import_object, registration and export, calls
// of registered functions through the argument stack, and frame composition.
// Every breach of the contract by the plug-in is reported as a ContractError
// naming the function at fault; after one, the runtime refuses further work.
#ifndef KROPLAY_HOST_RUNTIME_H
#define KROPLAY_HOST_RUNTIME_H

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "kro_abi.h"
#include "kroplay/base/palettes.h"
#include "kroplay/host/plugin_loader.h"

namespace kroplay {

class ContractError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ScriptFunction {
  std::string name;
  kro_function function;
  int parameter_count;
};

class HostRuntime {
 public:
  // Parameter counts above this are refused at registration.
  static constexpr int kMaxParameters = 64;

  // A screen of `width` x `height` (both >= 0), filled with colour 0, and
  // the default palette. With `null_unused_imports`, the twenty names the
  // plug-in fetches but must never read are answered with null. The host
  // operations carry no context, so only one runtime may exist at a time.
  HostRuntime(int32_t width, int32_t height, bool null_unused_imports);
  ~HostRuntime();
  HostRuntime(const HostRuntime &) = delete;
  HostRuntime &operator=(const HostRuntime &) = delete;

  // krolibrary, then kromain. Throws ContractError.
  void start(const PluginEntryPoints &plugin);
  // kroend. Throws ContractError.
  void finish();

  // The registered functions, in registration order.
  const std::vector<ScriptFunction> &functions() const { return functions_; }
  // Every name the plug-in asked import_object for, in order.
  const std::vector<std::string> &imports() const { return imports_; }
  bool has_hook() const { return hook_ != nullptr; }

  // Calls functions()[index] with exactly its parameter count of
  // `arguments`, first to last, through the stack; returns its result.
  // Throws ContractError.
  int32_t call(size_t index, const int32_t *arguments);
  // Fills the frame buffer: the plug-in's hook if it exported one, else a
  // plain copy of the background. Throws ContractError.
  void compose_frame();
  // Fresh bitmaps of `width` x `height` at new addresses, filled with 0.
  void resize(int32_t width, int32_t height);

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  const uint8_t *frame() const { return frame_.data(); }
  // The composed frame, for the host to draw over it as a game does.
  uint8_t *frame() { return frame_.data(); }
  uint8_t *background() { return background_.data(); }
  const uint8_t *background() const { return background_.data(); }
  Palette &palette() { return palette_; }
  const Palette &palette() const { return palette_; }
  int64_t frames_composed() const { return frames_composed_; }

 private:
  static void register_function(const char *name, kro_function function, int parameter_count);
  static void *import_object(const char *name);
  static void export_object(const char *name, void *address);

  void *lookup(const std::string &name);
  // Runs `entry` with `caller` named as the plug-in's code running, then
  // raises any breach recorded by the host operations meanwhile.
  template <typename Entry>
  void run_plugin_code(const char *caller, Entry entry);
  void record_breach(const std::string &message);
  [[noreturn]] void fail(const std::string &message);
  void throw_if_broken() const;
  // Fails if the plug-in overwrote one of the host's own variables.
  void check_host_objects(const char *caller);

  // The contract's host objects; their addresses go to the plug-in.
  // The stack's resting top: the entries below it stay untouched, so a
  // plug-in that pops too many reads zeros instead of leaving the array.
  static constexpr int32_t kStackBase = 64;
  // Below the resting top kStackBase entries; above it, a call's arguments
  // and its result, then kStackBase more for a plug-in that pushes too many.
  std::array<int32_t, 2 * kStackBase + kMaxParameters + 1> stack_{};
  int32_t sp_ = 0;
  int32_t wide_object_ = 0;
  int32_t height_object_ = 0;
  uint8_t *buffer_object_ = nullptr;
  uint8_t *background_object_ = nullptr;
  Palette palette_;

  // The truth the variables above are checked against.
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<uint8_t> frame_;
  std::vector<uint8_t> background_;

  // Harmless stand-ins for the twenty names that are fetched, never read.
  std::vector<std::pair<std::string, void *>> unused_;
  std::vector<uint8_t> unused_storage_;
  bool null_unused_imports_;

  PluginEntryPoints plugin_;
  std::vector<ScriptFunction> functions_;
  std::vector<std::string> imports_;
  kro_function hook_ = nullptr;
  int64_t frames_composed_ = 0;

  const char *caller_ = nullptr;  // the plug-in code running now, for messages
  std::string breach_;            // first breach recorded inside a host operation
  std::string broken_;            // set once a breach has been raised
};

}  // namespace kroplay

#endif  // KROPLAY_HOST_RUNTIME_H
