#include "kroplay/check/fault_report.h"

#include <cstdint>
#include <cstring>

#include "kroplay/base/exit_status.h"
#include "kroplay/check/fault_trap.h"
#include "kroplay/check/guarded_memory.h"

namespace kroplay {
namespace {

constexpr unsigned kCallSeconds = 10;  // the watchdog's limit for one call or frame

char check_text[256];
char call_text[256];
int tally_passed = 0;
int tally_failed = 0;

void put(const char *s) {
  write_report(s, std::strlen(s));
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

const char *access_word(MemoryAccess access) {
  switch (access) {
    case MemoryAccess::kRead:
      return "read";
    case MemoryAccess::kWrite:
      return "wrote";
    case MemoryAccess::kExecute:
      return "jumped into";
    case MemoryAccess::kUnknown:
      break;
  }
  return "read or wrote";
}

void copy(char *to, size_t capacity, const char *from) {
  std::strncpy(to, from, capacity - 1);
  to[capacity - 1] = '\0';
}

}  // namespace

void report_fault(const Fault &fault) {
  char what[256];
  put("FAIL - ");
  put(check_text);
  put(": ");
  put(call_text);
  put(" ");
  switch (fault.kind) {
    case FaultKind::kTimeout:
      put("did not return within ");
      put_number(kCallSeconds);
      put(" s");
      break;
    case FaultKind::kArithmetic:
      put("raised ");
      put(fault.name);
      put(" (an arithmetic fault, such as a division by zero)");
      break;
    case FaultKind::kIllegalInstruction:
      put("raised ");
      put(fault.name);
      put(" (an illegal instruction)");
      break;
    case FaultKind::kAbort:
      put("aborted (");
      put(fault.name);
      put(")");
      break;
    case FaultKind::kMemory:
      if (describe_fault_address(fault.address, what, sizeof what)) {
        put(access_word(fault.access));
        put(" ");
        put(what);
      } else {
        put("raised ");
        put(fault.name);
        put(" at address ");
        put_hex(fault.address);
        put(", outside every host object");
      }
      break;
  }
  put("\n");
  put_number(static_cast<uint64_t>(tally_passed));
  put(" passed, ");
  put_number(static_cast<uint64_t>(tally_failed) + 1);
  put(" failed\n");
  exit_now(kExitPluginFailed);
}

void install_fault_handler() {
  install_fault_trap();
}

void set_fault_context(const char *check, const char *call) {
  copy(check_text, sizeof check_text, check);
  copy(call_text, sizeof call_text, call);
  arm_watchdog(kCallSeconds);
}

void stop_watchdog() {
  disarm_watchdog();
}

void set_fault_tally(int passed, int failed) {
  tally_passed = passed;
  tally_failed = failed;
}

}  // namespace kroplay
