#include "kroplay/check/fault_report.h"

#include <signal.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "kroplay/check/guarded_memory.h"
#include "kroplay/cli/exit_status.h"

namespace kroplay {
namespace {

constexpr unsigned kCallSeconds = 10;  // the watchdog's limit for one call or frame

char check_text[256];
char call_text[256];
int tally_passed = 0;
int tally_failed = 0;

// The handler's own stack, so that a plug-in that overran the thread's
// stack is still reported.
alignas(16) char alternate_stack[64 * 1024];

void put(const char *s) {
  size_t length = std::strlen(s);
  while (length > 0) {
    const ssize_t n = write(STDOUT_FILENO, s, length);
    if (n <= 0) return;
    s += n;
    length -= static_cast<size_t>(n);
  }
}

void put_number(uint64_t value) {
  char digits[24];
  int n = 23;
  digits[n] = '\0';
  do digits[--n] = static_cast<char>('0' + value % 10);
  while ((value /= 10) != 0);
  put(digits + n);
}

void put_hex(uint64_t value) {
  char digits[19];
  int n = 18;
  digits[n] = '\0';
  do digits[--n] = "0123456789abcdef"[value & 15];
  while ((value >>= 4) != 0);
  digits[--n] = 'x';
  digits[--n] = '0';
  put(digits + n);
}

// What the faulting access was, where the processor tells: x86 sets bit 1
// of the page-fault error code for a write and bit 4 for an instruction
// fetch.
const char *access_kind(void *context) {
#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
  const auto *uc = static_cast<const ucontext_t *>(context);
  const auto error = static_cast<uint64_t>(uc->uc_mcontext.gregs[REG_ERR]);
  if (error & 0x10) return "jumped into";
  return error & 0x2 ? "wrote" : "read";
#else
  (void)context;
  return "read or wrote";
#endif
}

void on_fault(int signal, siginfo_t *info, void *context) {
  const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
  char what[256];
  put("FAIL - ");
  put(check_text);
  put(": ");
  put(call_text);
  put(" ");
  if (signal == SIGALRM) {
    put("did not return within ");
    put_number(kCallSeconds);
    put(" s");
  } else if (signal == SIGFPE) {
    put("raised SIGFPE (an arithmetic fault, such as a division by zero)");
  } else if (signal == SIGILL) {
    put("raised SIGILL (an illegal instruction)");
  } else if (signal == SIGABRT) {
    put("aborted (SIGABRT)");
  } else if (describe_fault_address(address, what, sizeof what)) {
    put(access_kind(context));
    put(" ");
    put(what);
  } else {
    put(signal == SIGBUS ? "raised SIGBUS" : "raised SIGSEGV");
    put(" at address ");
    put_hex(address);
    put(", outside every host object");
  }
  put("\n");
  put_number(static_cast<uint64_t>(tally_passed));
  put(" passed, ");
  put_number(static_cast<uint64_t>(tally_failed) + 1);
  put(" failed\n");
  _exit(kExitPluginFailed);
}

void copy(char *to, size_t capacity, const char *from) {
  std::strncpy(to, from, capacity - 1);
  to[capacity - 1] = '\0';
}

}  // namespace

void install_fault_handler() {
  stack_t alternate{};
  alternate.ss_sp = alternate_stack;
  alternate.ss_size = sizeof alternate_stack;
  if (sigaltstack(&alternate, nullptr) != 0)
    throw std::runtime_error("cannot set up the signal stack");
  struct sigaction action {};
  action.sa_sigaction = on_fault;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGALRM})
    if (sigaction(signal, &action, nullptr) != 0)
      throw std::runtime_error("cannot install the fault handler");
}

void set_fault_context(const char *check, const char *call) {
  copy(check_text, sizeof check_text, check);
  copy(call_text, sizeof call_text, call);
  alarm(kCallSeconds);
}

void stop_watchdog() {
  alarm(0);
}

void set_fault_tally(int passed, int failed) {
  tally_passed = passed;
  tally_failed = failed;
}

}  // namespace kroplay
