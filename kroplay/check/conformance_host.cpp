#include "kroplay/check/conformance_host.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "kroplay/host/contract_tables.h"

namespace kroplay {
namespace {

ConformanceHost *current = nullptr;

// A stack entry's value before a call, unlike any argument pattern.
int32_t stack_filler(int index) {
  return static_cast<int32_t>(0x5eed0000u + static_cast<uint32_t>(index));
}

template <typename T>
T &variable(const GuardedBlock &block) {
  return *reinterpret_cast<T *>(block.data());
}

}  // namespace

ConformanceHost::ConformanceHost()
    : stack_("the argument stack", kStackEntries * sizeof(int32_t), Placement::kEndAtGuard),
      sp_object_("the host's 'sp'", sizeof(int32_t), Placement::kEndAtGuard),
      wide_object_("the host's 'wide'", sizeof(int32_t), Placement::kEndAtGuard),
      height_object_("the host's 'height'", sizeof(int32_t), Placement::kEndAtGuard),
      buffer_object_("the host's 'buffer' pointer", sizeof(uint8_t *), Placement::kEndAtGuard),
      background_object_("the host's 'background' pointer", sizeof(uint8_t *),
                         Placement::kEndAtGuard) {
  if (current != nullptr) throw std::logic_error("only one ConformanceHost may exist at a time");
  // The names a plug-in of this interface fetches but never reads or calls.
  for (const ImportInfo &import : kImports) {
    if (import.use == KRO_IMPORT_READ) continue;
    never_touched_names_.push_back(import.name);
    const std::string label =
        std::string("the host's '") + import.name + "' (fetched, never to be used)";
    never_touched_.push_back(
        std::make_unique<GuardedBlock>(label.c_str(), 64, Placement::kStartAtGuard));
    never_touched_.back()->protect(Access::kNone);
  }
  fill_stack();
  set_screen(0, 0, Placement::kEndAtGuard);
  current = this;
}

ConformanceHost::~ConformanceHost() {
  current = nullptr;
}

void ConformanceHost::set_variables() {
  for (GuardedBlock *block : {&wide_object_, &height_object_, &buffer_object_, &background_object_})
    block->protect(Access::kReadWrite);
  variable<int32_t>(wide_object_) = width_;
  variable<int32_t>(height_object_) = height_;
  variable<uint8_t *>(buffer_object_) = frame_->data();
  variable<uint8_t *>(background_object_) = background_->data();
  for (GuardedBlock *block : {&wide_object_, &height_object_, &buffer_object_, &background_object_})
    block->protect(Access::kReadOnly);
}

void ConformanceHost::set_screen(int32_t width, int32_t height, Placement placement) {
  if (width < 0 || height < 0) throw std::invalid_argument("negative screen size");
  const bool at_end = placement == Placement::kEndAtGuard;
  std::snprintf(screen_name_, sizeof screen_name_, "%dx%d, %s", width, height,
                at_end ? "ending at a guard page" : "starting after a guard page");
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height);
  auto fresh = [&](const char *what) {
    const std::string label = std::string(what) + " (" + screen_name_ + ")";
    return std::make_unique<GuardedBlock>(label.c_str(), bytes, placement);
  };
  auto frame = fresh("the frame buffer");
  auto background = fresh("the background");
  for (auto *old : {&frame_, &background_}) {
    if (*old == nullptr) continue;
    (*old)->retire();
    retired_.push_back(std::move(*old));
  }
  frame_ = std::move(frame);
  background_ = std::move(background);
  frame_access_ = background_access_ = Access::kReadWrite;
  width_ = width;
  height_ = height;
  placement_ = placement;
  set_variables();
}

void ConformanceHost::protect_bitmaps(Access frame, Access background) {
  if (frame != frame_access_) frame_->protect(frame_access_ = frame);
  if (background != background_access_) background_->protect(background_access_ = background);
}

uint8_t *ConformanceHost::background() {
  protect_bitmaps(frame_access_, Access::kReadWrite);
  return background_->data();
}

const uint8_t *ConformanceHost::frame() const {
  return frame_->data();
}

size_t ConformanceHost::screen_bytes() const {
  return background_->size();
}

void ConformanceHost::fill_stack() {
  auto *stack = reinterpret_cast<int32_t *>(stack_.data());
  for (int i = 0; i < kStackEntries; ++i) stack[i] = stack_filler(i);
  stack_before_.assign(stack, stack + kStackEntries);
}

std::string ConformanceHost::check_stack(int result_index, const char *who) {
  const auto *stack = reinterpret_cast<const int32_t *>(stack_.data());
  for (int i = 0; i < kStackEntries; ++i) {
    if (i == result_index || stack[i] == stack_before_[static_cast<size_t>(i)]) continue;
    const int offset = i - (result_index >= 0 ? result_index : variable<int32_t>(sp_object_));
    return std::string(who) + " changed the stack entry " + (offset >= 0 ? "+" : "") +
           std::to_string(offset) + (result_index >= 0 ? " from the result's place" : " from sp") +
           ", which it must leave alone";
  }
  return "";
}

std::string ConformanceHost::call(kro_function function, const std::vector<int32_t> &arguments,
                                  int32_t &result) {
  const int n = static_cast<int>(arguments.size());
  const int touched = n > 0 ? n : 1;  // entries the call may read or write
  const int first = placement_ == Placement::kEndAtGuard ? kStackEntries - touched : 0;
  fill_stack();
  auto *stack = reinterpret_cast<int32_t *>(stack_.data());
  for (int i = 0; i < n; ++i)
    stack[first + i] = stack_before_[static_cast<size_t>(first + i)] =
        arguments[static_cast<size_t>(i)];
  const int32_t sp_before = first + n - 1;
  variable<int32_t>(sp_object_) = sp_before;

  protect_bitmaps(Access::kReadOnly, Access::kReadWrite);
  function();

  const int64_t moved = static_cast<int64_t>(variable<int32_t>(sp_object_)) - sp_before;
  if (moved != 1 - n)
    return "sp moved by " + std::to_string(moved) + " over a call with " + std::to_string(n) +
           " argument" + (n == 1 ? "" : "s") + " (must move by " + std::to_string(1 - n) + ")";
  const std::string problem = check_stack(first, "the call");
  if (!problem.empty()) return problem;
  result = stack[first];
  return "";
}

std::string ConformanceHost::compose() {
  fill_stack();
  const int32_t sp_before = kStackEntries / 2;
  variable<int32_t>(sp_object_) = sp_before;
  if (hook_ == nullptr) {
    protect_bitmaps(Access::kReadWrite, Access::kReadOnly);
    if (screen_bytes() > 0) std::memcpy(frame_->data(), background_->data(), screen_bytes());
    return "";
  }
  protect_bitmaps(Access::kReadWrite, Access::kReadOnly);
  hook_();
  if (variable<int32_t>(sp_object_) != sp_before)
    return "the hook moved sp by " +
           std::to_string(static_cast<int64_t>(variable<int32_t>(sp_object_)) - sp_before);
  return check_stack(-1, "the hook");
}

std::vector<HostEvent> ConformanceHost::run_krolibrary(decltype(&::krolibrary) entry) {
  events_.clear();
  entry(register_function);
  return events_;
}

std::vector<HostEvent> ConformanceHost::run_kromain(decltype(&::kromain) entry) {
  events_.clear();
  entry(import_object, export_object);
  return events_;
}

std::vector<HostEvent> ConformanceHost::run_kroend(decltype(&::kroend) entry) {
  events_.clear();
  entry(import_object, export_object);
  return events_;
}

void *ConformanceHost::lookup(const char *name) {
  const std::pair<const char *, void *> contract[] = {
      {"stack", stack_.data()},          {"sp", sp_object_.data()},
      {"wide", wide_object_.data()},     {"height", height_object_.data()},
      {"buffer", buffer_object_.data()}, {"background", background_object_.data()}};
  for (const auto &object : contract)
    if (std::strcmp(name, object.first) == 0) return object.second;
  for (size_t i = 0; i < never_touched_names_.size(); ++i)
    if (std::strcmp(name, never_touched_names_[i]) == 0) return never_touched_[i]->data();
  return nullptr;
}

void ConformanceHost::register_function(const char *name, kro_function function,
                                        int parameter_count) {
  current->events_.push_back({HostEvent::kRegister, name != nullptr ? name : "(null)",
                              reinterpret_cast<void *>(function), parameter_count});
}

void *ConformanceHost::import_object(const char *name) {
  current->events_.push_back({HostEvent::kImport, name != nullptr ? name : "(null)", nullptr, 0});
  return name != nullptr ? current->lookup(name) : nullptr;
}

void ConformanceHost::export_object(const char *name, void *address) {
  current->events_.push_back({HostEvent::kExport, name != nullptr ? name : "(null)", address, 0});
  if (name != nullptr && std::strcmp(name, KRO_HOOK_BACKGROUND_TO_BUFFER) == 0 &&
      address != nullptr)
    current->hook_ = reinterpret_cast<kro_function>(address);
}

}  // namespace kroplay
