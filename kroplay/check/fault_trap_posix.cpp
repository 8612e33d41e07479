#include <signal.h>
#include <ucontext.h>
#include <unistd.h>

#include <stdexcept>

#include "kroplay/check/fault_trap.h"

namespace kroplay {
namespace {

// The handler's own stack, so that a plug-in that overran the thread's
// stack is still reported.
alignas(16) char alternate_stack[64 * 1024];

// What the faulting access was, where the processor tells: x86 sets bit 1
// of the page-fault error code for a write and bit 4 for an instruction
// fetch.
MemoryAccess access_kind(void *context) {
#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
  const auto *uc = static_cast<const ucontext_t *>(context);
  const auto error = static_cast<uint64_t>(uc->uc_mcontext.gregs[REG_ERR]);
  if (error & 0x10) return MemoryAccess::kExecute;
  return error & 0x2 ? MemoryAccess::kWrite : MemoryAccess::kRead;
#else
  (void)context;
  return MemoryAccess::kUnknown;
#endif
}

void on_signal(int signal, siginfo_t *info, void *context) {
  switch (signal) {
    case SIGALRM:
      report_fault({FaultKind::kTimeout, "SIGALRM"});
    case SIGFPE:
      report_fault({FaultKind::kArithmetic, "SIGFPE"});
    case SIGILL:
      report_fault({FaultKind::kIllegalInstruction, "SIGILL"});
    case SIGABRT:
      report_fault({FaultKind::kAbort, "SIGABRT"});
    default:
      report_fault({FaultKind::kMemory, signal == SIGBUS ? "SIGBUS" : "SIGSEGV",
                    reinterpret_cast<uintptr_t>(info->si_addr), access_kind(context)});
  }
}

}  // namespace

void install_fault_trap() {
  stack_t alternate{};
  alternate.ss_sp = alternate_stack;
  alternate.ss_size = sizeof alternate_stack;
  if (sigaltstack(&alternate, nullptr) != 0)
    throw std::runtime_error("cannot set up the signal stack");
  struct sigaction action {};
  action.sa_sigaction = on_signal;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGALRM})
    if (sigaction(signal, &action, nullptr) != 0)
      throw std::runtime_error("cannot install the fault handler");
}

void arm_watchdog(unsigned seconds) {
  alarm(seconds);
}

void disarm_watchdog() {
  alarm(0);
}

void write_report(const char *text, size_t length) {
  while (length > 0) {
    const ssize_t n = write(STDOUT_FILENO, text, length);
    if (n <= 0) return;
    text += n;
    length -= static_cast<size_t>(n);
  }
}

void exit_now(int status) {
  _exit(status);
}

}  // namespace kroplay
