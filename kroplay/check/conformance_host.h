// The host of the --check run. Every host object the plug-in gets lies
// against no-access pages: the argument stack (a page of its own, guarded
// at both ends), `sp`, `wide`, `height`, the `buffer` and `background`
// pointer variables, both bitmaps, and the twenty names the plug-in fetches
// but must never touch. `wide`, `height` and the two pointer variables are
// read-only for the plug-in; the frame buffer is read-only during script
// calls and the background during the frame hook. The host operations
// record every call the plug-in makes of them.
#ifndef KROPLAY_CONFORMANCE_HOST_H
#define KROPLAY_CONFORMANCE_HOST_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kro_abi.h"
#include "kroplay/check/guarded_memory.h"

namespace kroplay {

// One call of a host operation by the plug-in.
struct HostEvent {
  enum Kind { kRegister, kImport, kExport } kind;
  std::string name;  // "(null)" for a null name
  void *address;     // the function registered or the address exported
  int parameter_count;
};

class ConformanceHost {
 public:
  // Entries in the argument stack: exactly one page.
  static constexpr int kStackEntries = 1024;

  // A 0x0 screen. The host operations carry no context, so only one host
  // may exist at a time.
  ConformanceHost();
  ~ConformanceHost();
  ConformanceHost(const ConformanceHost &) = delete;
  ConformanceHost &operator=(const ConformanceHost &) = delete;

  // Runs an entry point and returns the host operations it called.
  std::vector<HostEvent> run_krolibrary(decltype(&::krolibrary) entry);
  std::vector<HostEvent> run_kromain(decltype(&::kromain) entry);
  std::vector<HostEvent> run_kroend(decltype(&::kroend) entry);

  // The hook exported last under the frame hook's name, or null.
  kro_function hook() const { return hook_; }

  // Fresh, zeroed bitmaps of width x height at new addresses, each placed
  // as `placement` says; the previous ones are kept as no-access pages, so
  // a plug-in that still uses them is caught. Arguments also go to the
  // stack's end (kEndAtGuard) or start (kStartAtGuard).
  void set_screen(int32_t width, int32_t height, Placement placement);
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  const char *screen_name() const { return screen_name_; }

  // The background, writable by the host until the next plug-in call.
  uint8_t *background();
  const uint8_t *frame() const;
  size_t screen_bytes() const;

  // Calls a script function with `arguments` (first to last) on the stack.
  // Returns "" and sets `result`, or describes how the call broke the stack
  // contract: sp not moved by 1 - n, or a stack entry other than the
  // result's place (where the first argument was) changed.
  std::string call(kro_function function, const std::vector<int32_t> &arguments, int32_t &result);
  // Composes one frame with the hook (a plain copy without one). Returns ""
  // or how the hook changed sp or the stack.
  std::string compose();

 private:
  static void register_function(const char *name, kro_function function, int parameter_count);
  static void *import_object(const char *name);
  static void export_object(const char *name, void *address);
  void *lookup(const char *name);
  void set_variables();
  void protect_bitmaps(Access frame, Access background);
  void fill_stack();
  std::string check_stack(int result_index, const char *who);

  GuardedBlock stack_, sp_object_, wide_object_, height_object_, buffer_object_, background_object_;
  std::vector<std::unique_ptr<GuardedBlock>> never_touched_;  // the twenty other names
  std::vector<const char *> never_touched_names_;
  std::unique_ptr<GuardedBlock> frame_, background_;
  std::vector<std::unique_ptr<GuardedBlock>> retired_;
  Access frame_access_ = Access::kReadWrite, background_access_ = Access::kReadWrite;
  int32_t width_ = 0, height_ = 0;
  Placement placement_ = Placement::kEndAtGuard;
  char screen_name_[64] = "";

  std::vector<HostEvent> events_;
  kro_function hook_ = nullptr;
  std::vector<int32_t> stack_before_;
};

}  // namespace kroplay

#endif  // KROPLAY_CONFORMANCE_HOST_H
