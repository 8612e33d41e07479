#include "kroplay/host/host_runtime.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "kroplay/base/quoted.h"
#include "kroplay/host/contract_tables.h"

namespace kroplay {
namespace {

HostRuntime *current = nullptr;

// Service names the plug-in fetches and never calls. They get functions
// that do nothing harmful, in case a plug-in calls them anyway; the text
// output prints.
void set_palette_stub() {}
void *malloc_stub(size_t) {
  return nullptr;
}
void free_stub(void *) {}
void *fopen_stub(const char *, const char *) {
  return nullptr;
}
int fclose_stub(void *) {
  return 0;
}
int rand_stub() {
  return 0;
}
// The host's text output, which wavefx-trace uses to say it cannot write
// its trace: a line on stderr.
void text_out(const char *text) {
  if (text != nullptr) std::fprintf(stderr, "%s\n", text);
}

// Each unread data name but "palette" (which is real) gets its own zeroed
// slot of this size in one block.
constexpr size_t kUnusedSlot = 4096;

// A name the plug-in passed, for a message.
std::string quoted_name(const char *name) {
  return name == nullptr ? std::string("a null name") : quoted(name);
}

}  // namespace

HostRuntime::HostRuntime(int32_t width, int32_t height, bool null_unused_imports)
    : palette_(default_palette()), null_unused_imports_(null_unused_imports) {
  if (current != nullptr) throw std::logic_error("only one HostRuntime may exist at a time");
  sp_ = kStackBase;
  resize(width, height);

  unused_storage_.assign(std::size(kImports) * kUnusedSlot, 0);
  for (size_t i = 0; i < std::size(kImports); ++i) {
    if (kImports[i].use != KRO_IMPORT_UNREAD_DATA) continue;
    const bool real = std::strcmp(kImports[i].name, "palette") == 0;
    unused_.emplace_back(kImports[i].name,
                         real ? palette_.data() : unused_storage_.data() + i * kUnusedSlot);
  }
  const std::pair<const char *, void *> services[] = {
      {"set_palette", reinterpret_cast<void *>(set_palette_stub)},
      {"kro_malloc", reinterpret_cast<void *>(malloc_stub)},
      {"kro_free", reinterpret_cast<void *>(free_stub)},
      {"kro_fopen", reinterpret_cast<void *>(fopen_stub)},
      {"kro_fclose", reinterpret_cast<void *>(fclose_stub)},
      {"kro_rand", reinterpret_cast<void *>(rand_stub)},
      {"kro_text_out", reinterpret_cast<void *>(text_out)}};
  for (const auto &service : services) unused_.emplace_back(service.first, service.second);
  current = this;
}

HostRuntime::~HostRuntime() {
  current = nullptr;
}

void HostRuntime::resize(int32_t width, int32_t height) {
  if (width < 0 || height < 0) throw std::invalid_argument("negative screen size");
  const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height);
  // Allocated while the old ones still exist, so the addresses are new.
  std::vector<uint8_t> frame(size, 0), background(size, 0);
  frame_.swap(frame);
  background_.swap(background);
  width_ = wide_object_ = width;
  height_ = height_object_ = height;
  buffer_object_ = frame_.data();
  background_object_ = background_.data();
}

void *HostRuntime::lookup(const std::string &name) {
  const std::pair<const char *, void *> contract[] = {
      {"stack", stack_.data()},    {"sp", &sp_},
      {"wide", &wide_object_},     {"height", &height_object_},
      {"buffer", &buffer_object_}, {"background", &background_object_}};
  for (const auto &object : contract)
    if (name == object.first) return object.second;
  for (const auto &object : unused_)
    if (name == object.first) return null_unused_imports_ ? nullptr : object.second;
  return nullptr;
}

void HostRuntime::register_function(const char *name, kro_function function, int parameter_count) {
  HostRuntime &self = *current;
  const std::string caller = self.caller_ != nullptr ? self.caller_ : "the plug-in";
  if (self.caller_ == nullptr || std::strcmp(self.caller_, "krolibrary") != 0)
    return self.record_breach(caller + " called register_function for " + quoted_name(name) +
                              " outside krolibrary");
  if (name == nullptr)
    return self.record_breach("krolibrary registered a function with a null name");
  if (function == nullptr)
    return self.record_breach("krolibrary registered " + quoted_name(name) +
                              " with a null function");
  if (parameter_count < 0)
    return self.record_breach("krolibrary registered " + quoted_name(name) +
                              " with a negative parameter count (" +
                              std::to_string(parameter_count) + ")");
  if (parameter_count > kMaxParameters)
    return self.record_breach(
        "krolibrary registered " + quoted_name(name) + " with " + std::to_string(parameter_count) +
        " parameters; kroplay takes at most " + std::to_string(kMaxParameters));
  for (const ScriptFunction &f : self.functions_)
    if (f.name == name)
      return self.record_breach("krolibrary registered " + quoted_name(name) + " twice");
  self.functions_.push_back({name, function, parameter_count});
}

void *HostRuntime::import_object(const char *name) {
  HostRuntime &self = *current;
  self.imports_.push_back(name != nullptr ? name : "");
  return name != nullptr ? self.lookup(name) : nullptr;
}

void HostRuntime::export_object(const char *name, void *address) {
  HostRuntime &self = *current;
  const std::string caller = self.caller_ != nullptr ? self.caller_ : "the plug-in";
  if (name == nullptr || std::strcmp(name, KRO_HOOK_BACKGROUND_TO_BUFFER) != 0)
    return self.record_breach(caller + " exported " + quoted_name(name) +
                              "; the only name a host takes is '" KRO_HOOK_BACKGROUND_TO_BUFFER
                              "'");
  if (address == nullptr)
    return self.record_breach(caller + " exported a null '" KRO_HOOK_BACKGROUND_TO_BUFFER "' hook");
  self.hook_ = reinterpret_cast<kro_function>(address);
}

void HostRuntime::record_breach(const std::string &message) {
  if (breach_.empty()) breach_ = message;
}

void HostRuntime::fail(const std::string &message) {
  broken_ = message;
  throw ContractError(message);
}

void HostRuntime::throw_if_broken() const {
  if (!broken_.empty()) throw ContractError(broken_);
}

template <typename Entry>
void HostRuntime::run_plugin_code(const char *caller, Entry entry) {
  throw_if_broken();
  caller_ = caller;
  entry();
  caller_ = nullptr;
  if (!breach_.empty()) fail(breach_);
}

void HostRuntime::check_host_objects(const char *caller) {
  const std::string who = caller;
  if (wide_object_ != width_) fail(who + " changed the host's 'wide'");
  if (height_object_ != height_) fail(who + " changed the host's 'height'");
  if (buffer_object_ != frame_.data()) fail(who + " changed the host's 'buffer' pointer");
  if (background_object_ != background_.data())
    fail(who + " changed the host's 'background' pointer");
}

void HostRuntime::start(const PluginEntryPoints &plugin) {
  plugin_ = plugin;
  run_plugin_code("krolibrary", [&] { plugin.krolibrary(register_function); });
  run_plugin_code("kromain", [&] { plugin.kromain(import_object, export_object); });
  check_host_objects("kromain");
}

void HostRuntime::finish() {
  run_plugin_code("kroend", [&] { plugin_.kroend(import_object, export_object); });
}

int32_t HostRuntime::call(size_t index, const int32_t *arguments) {
  throw_if_broken();
  const ScriptFunction &f = functions_.at(index);
  const int n = f.parameter_count;
  sp_ = kStackBase;
  for (int i = 0; i < n; ++i) stack_[static_cast<size_t>(++sp_)] = arguments[i];
  const int32_t before = sp_;
  run_plugin_code(f.name.c_str(), f.function);
  const int64_t moved = static_cast<int64_t>(sp_) - before;
  if (moved != 1 - n)
    fail(f.name + " broke the stack contract: sp moved by " + std::to_string(moved) +
         " over a call with " + std::to_string(n) + " argument" + (n == 1 ? "" : "s") +
         " (must move by " + std::to_string(1 - n) + ")");
  check_host_objects(f.name.c_str());
  const int32_t result = stack_[static_cast<size_t>(sp_)];
  sp_ = kStackBase;
  return result;
}

void HostRuntime::compose_frame() {
  throw_if_broken();
  if (hook_ != nullptr) {
    const int32_t before = sp_;
    run_plugin_code(KRO_HOOK_BACKGROUND_TO_BUFFER, hook_);
    if (sp_ != before) fail(KRO_HOOK_BACKGROUND_TO_BUFFER " moved sp");
    check_host_objects(KRO_HOOK_BACKGROUND_TO_BUFFER);
  } else if (!frame_.empty()) {
    std::memcpy(frame_.data(), background_.data(), frame_.size());
  }
  ++frames_composed_;
}

}  // namespace kroplay
