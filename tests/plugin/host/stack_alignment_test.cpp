// The module called the way a 32-bit Windows host built by another compiler
// may call it: the stack aligned to 4 bytes only, not to the 16 that GCC's
// code assumes. Entry points, script functions and the frame hook all get a
// stack 4 bytes past a 16-byte boundary at the call, and the frames, with
// both effects over a screen wide enough for the vector row loops, must be
// the reference model's.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "kro_abi.h"
#include "kroplay/host/plugin_loader.h"
#include "support/gtest_host.h"
#include "support/reference_model.h"

#if !defined(_WIN32) || !defined(__i386__)
#error "32-bit Windows only: the calls below are i686 cdecl"
#endif

// Calls the cdecl `function` with `count` (at most 16) 32-bit arguments,
// ESP at the call 4 bytes past a 16-byte boundary; returns its EAX.
extern "C" uint32_t call_misaligned(const void *function, const uint32_t *arguments,
                                    uint32_t count);
// Returns ESP as it was on entry, the return address on top.
extern "C" uint32_t stack_pointer_on_entry();

asm(R"(
  .text
  .globl _call_misaligned
_call_misaligned:
  pushl %ebp
  movl %esp, %ebp
  pushl %esi
  pushl %edi
  movl 12(%ebp), %esi
  movl 16(%ebp), %ecx
  andl $-16, %esp
  subl $76, %esp
  movl %esp, %edi
  cld
  rep movsl
  call *8(%ebp)
  leal -8(%ebp), %esp
  popl %edi
  popl %esi
  popl %ebp
  ret

  .globl _stack_pointer_on_entry
_stack_pointer_on_entry:
  movl %esp, %eax
  ret
)");

namespace {

template <typename Function>
uint32_t address(Function function) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(function));
}

void call_misaligned_without_arguments(kro_function function) {
  call_misaligned(reinterpret_cast<const void *>(function), nullptr, 0);
}

TEST(StackAlignment, CallsOnAFourByteAlignedStackGiveTheModelsFrames) {
  // The calls below are misaligned: ESP on entry, at the return address, on
  // a 16-byte boundary, so 4 bytes past one at the call.
  ASSERT_EQ(
      call_misaligned(reinterpret_cast<const void *>(stack_pointer_on_entry), nullptr, 0) % 16, 0u);

  kroplay::PluginLibrary plugin{WAVEFX_MODULE_PATH};
  const kroplay::PluginEntryPoints &entry = plugin.entry_points();
  TestHost &host = gtest_host();
  host.reset();
  const uint32_t library_arguments[] = {address(TestHost::register_function)};
  call_misaligned(reinterpret_cast<const void *>(entry.krolibrary), library_arguments, 1);
  const uint32_t main_arguments[] = {address(TestHost::import_object),
                                     address(TestHost::export_object)};
  call_misaligned(reinterpret_cast<const void *>(entry.kromain), main_arguments, 2);
  ASSERT_NE(host.hook, nullptr);
  host.invoke = call_misaligned_without_arguments;

  const int32_t width = 320, height = 200;
  host.resize(width, height);
  for (int32_t i = 0; i < width * height; ++i)
    host.background[i] = static_cast<uint8_t>(1 + (i / width * 7 + i % width * 3) % 250);
  std::vector<uint8_t> background = host.background_contents();
  std::vector<uint8_t> frame(host.area());
  ReferenceModel model;

  struct Step {
    std::string name;
    std::vector<int32_t> arguments;
    int frames;
  };
  const Step steps[] = {{"STOP_RIPPLE", {}, 0},
                        {"STOP_DISTORT", {}, 0},
                        {"START_RIPPLE", {5, 10, 20}, 3},
                        {"START_DISTORT", {3, 7, 12}, 3},
                        {"STOP_RIPPLE", {}, 3}};
  for (const Step &step : steps) {
    EXPECT_EQ(model.call(step.name, step.arguments, background, width, height),
              host.call(step.name, step.arguments))
        << step.name;
    for (int k = 0; k < step.frames; ++k) {
      host.frame();
      model.compose(background, frame, width, height);
      ASSERT_EQ(frame, host.frame_contents()) << "frame " << k << " after " << step.name;
    }
  }
  call_misaligned(reinterpret_cast<const void *>(entry.kroend), main_arguments, 2);
}

}  // namespace
