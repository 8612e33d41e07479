#include "support/test_host.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The calls the entry points make of the host operations, in the
// contract's order.
std::vector<std::string> contract_events() {
  std::vector<std::string> events;
#define WAVEFX_REGISTER_EVENT(name, count, arguments, result) events.push_back("register " #name);
  KRO_SCRIPT_FUNCTIONS(WAVEFX_REGISTER_EVENT)
#undef WAVEFX_REGISTER_EVENT
  for (const char *name : {KRO_IMPORT_NAMES}) events.push_back(std::string("import ") + name);
  events.push_back(std::string("export ") + KRO_HOOK_BACKGROUND_TO_BUFFER);
  return events;
}

const int kParameterCounts[] = {
#define WAVEFX_PARAMETER_COUNT(name, count, arguments, result) count,
    KRO_SCRIPT_FUNCTIONS(WAVEFX_PARAMETER_COUNT)
#undef WAVEFX_PARAMETER_COUNT
};

}  // namespace

void abort_host(const std::string &what) {
  std::fprintf(stderr, "wavefx host: %s\n", what.c_str());
  std::abort();
}

TestHost &TestHost::instance() {
  static TestHost host;
  return host;
}

void TestHost::register_function(const char *name, kro_function function, int parameter_count) {
  TestHost &h = instance();
  h.events.push_back(std::string("register ") + name);
  h.registrations.push_back({name, function, parameter_count, name});
}

void *TestHost::import_object(const char *name) {
  TestHost &h = instance();
  const std::string key = name;
  h.events.push_back("import " + key);
  h.imports.push_back(key);
  if (key == "stack") return h.stack.get();
  if (key == "sp") return &h.sp;
  if (key == "wide") return &h.wide;
  if (key == "height") return &h.height;
  if (key == "buffer") return &h.buffer;
  if (key == "background") return &h.background;
  if (h.null_unused_imports || h.imports.size() > KRO_IMPORT_COUNT) return nullptr;
  return &h.unused_objects[h.imports.size() - 1];
}

void TestHost::export_object(const char *name, void *address) {
  TestHost &h = instance();
  h.events.push_back(std::string("export ") + name);
  h.exports[name] = address;
  if (std::string(name) == KRO_HOOK_BACKGROUND_TO_BUFFER)
    h.hook = reinterpret_cast<kro_function>(address);
}

void TestHost::reset(int32_t stack_entries) {
  events.clear();
  registrations.clear();
  imports.clear();
  exports.clear();
  hook = nullptr;
  null_unused_imports = false;
  stack_size = stack_entries;
  stack.reset(new int32_t[static_cast<size_t>(stack_entries)]());
  sp = stack_entries / 2;
  resize(0, 0);
}

void TestHost::load(decltype(&::krolibrary) library, decltype(&::kromain) main) {
  library(register_function);
  main(import_object, export_object);
  if (events != contract_events())
    return on_failure("the entry points did not make the contract's calls in its order");
  for (size_t i = 0; i < registrations.size(); ++i)
    if (registrations[i].parameter_count != kParameterCounts[i])
      return on_failure(registrations[i].name + " registered with a wrong parameter count");
}

size_t TestHost::area() const {
  return wide > 0 && height > 0 ? static_cast<size_t>(wide) * static_cast<size_t>(height) : 0;
}

void TestHost::resize(int32_t width, int32_t height_rows) {
  wide = width;
  height = height_rows;
  // new[] of zero bytes still gives a distinct block that no access may touch.
  buffer_block.reset(new uint8_t[area()]());
  background_block.reset(new uint8_t[area()]());
  buffer = buffer_block.get();
  background = background_block.get();
}

int32_t TestHost::call(size_t index, const int32_t *arguments, int32_t first_slot) {
  const Registration &function = registrations[index];
  const int n = function.parameter_count;
  const int32_t room = n > 0 ? n : 1;
  if (first_slot < 0 || first_slot + room > stack_size) {
    on_failure("no room on the stack for " + function.name);
    return 0;
  }
  for (int k = 0; k < n; ++k) stack[static_cast<size_t>(first_slot + k)] = arguments[k];
  sp = first_slot + n - 1;
  run(function.function);
  if (sp != first_slot) {
    on_failure(function.name + " broke the stack contract");
    return 0;
  }
  return stack[static_cast<size_t>(sp)];
}

int32_t TestHost::call(const std::string &name, const std::vector<int32_t> &arguments) {
  size_t index = 0;
  while (index < registrations.size() && registrations[index].name != name) ++index;
  if (index == registrations.size()) {
    on_failure(name + " is not registered");
    return 0;
  }
  if (static_cast<size_t>(registrations[index].parameter_count) != arguments.size()) {
    on_failure(name + " called with a wrong number of arguments");
    return 0;
  }
  const int32_t base = sp;
  const int32_t result = call(index, arguments.data(), base + 1);
  sp = base;
  return result;
}

void TestHost::run(kro_function function) const {
  if (invoke != nullptr)
    invoke(function);
  else
    function();
}

void TestHost::frame() {
  if (hook == nullptr) return on_failure("no frame hook installed");
  run(hook);
}
