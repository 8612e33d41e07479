#include "support/fake_host.h"

#include <gtest/gtest.h>

Bitmap::Bitmap(int32_t width, int32_t height)
    : size_(width > 0 && height > 0 ? static_cast<size_t>(width) * static_cast<size_t>(height) : 0),
      bytes_(new uint8_t[size_]()) {}

FakeHost &FakeHost::instance() {
  static FakeHost host;
  return host;
}

void FakeHost::register_function(const char *name, kro_function function, int parameter_count) {
  FakeHost &h = instance();
  h.events.push_back(std::string("register ") + name);
  h.registrations.push_back({name, function, parameter_count, name});
}

void *FakeHost::import_object(const char *name) {
  FakeHost &h = instance();
  const std::string key = name;
  h.events.push_back("import " + key);
  h.imports.push_back(key);
  if (key == "stack") return h.stack.data();
  if (key == "sp") return &h.sp;
  if (key == "wide") return &h.wide;
  if (key == "height") return &h.height;
  if (key == "buffer") return &h.buffer;
  if (key == "background") return &h.background;
  if (h.null_unused_imports) return nullptr;
  return &h.unused_objects[key];
}

void FakeHost::export_object(const char *name, void *address) {
  FakeHost &h = instance();
  h.events.push_back(std::string("export ") + name);
  h.exports[name] = address;
}

void FakeHost::reset() {
  events.clear();
  registrations.clear();
  imports.clear();
  exports.clear();
  unused_objects.clear();
  null_unused_imports = false;
  sp = 100;
  resize(0, 0);
}

void FakeHost::resize(int32_t width, int32_t height_rows) {
  wide = width;
  height = height_rows;
  buffer_bitmap = std::make_unique<Bitmap>(width, height_rows);
  background_bitmap = std::make_unique<Bitmap>(width, height_rows);
  buffer = buffer_bitmap->data();
  background = background_bitmap->data();
}

int32_t FakeHost::call(const std::string &name, const std::vector<int32_t> &arguments) {
  const Registration *found = nullptr;
  for (const Registration &r : registrations)
    if (r.name == name) found = &r;
  if (found == nullptr) {
    ADD_FAILURE() << name << " is not registered";
    return 0;
  }
  EXPECT_EQ(static_cast<size_t>(found->parameter_count), arguments.size()) << name;
  const int32_t base = sp;
  for (int32_t argument : arguments) stack[static_cast<size_t>(++sp)] = argument;
  found->function();
  EXPECT_EQ(base + 1, sp) << name << " broke the stack contract";
  const int32_t result = stack[static_cast<size_t>(sp)];
  sp = base;
  return result;
}

void FakeHost::frame() {
  auto hook = exports.find(KRO_HOOK_BACKGROUND_TO_BUFFER);
  ASSERT_NE(hook, exports.end()) << "no frame hook installed";
  reinterpret_cast<kro_function>(hook->second)();
}
