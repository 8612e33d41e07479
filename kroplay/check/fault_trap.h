// The platform side of the fault report: catching a plug-in's fault
// (signal handlers on POSIX systems, a vectored exception handler on
// Windows) and the watchdog for a call that does not return. One
// implementation per platform: fault_trap_posix.cpp, fault_trap_win32.cpp.
#ifndef KROPLAY_FAULT_TRAP_H
#define KROPLAY_FAULT_TRAP_H

#include <cstddef>
#include <cstdint>

namespace kroplay {

enum class FaultKind { kMemory, kArithmetic, kIllegalInstruction, kAbort, kTimeout };
enum class MemoryAccess { kRead, kWrite, kExecute, kUnknown };

struct Fault {
  FaultKind kind;
  const char *name;       // as the system calls it, e.g. "SIGSEGV"
  uintptr_t address = 0;  // of a memory fault
  MemoryAccess access = MemoryAccess::kUnknown;
};

// Prints the report of `fault` and ends the process (fault_report.cpp).
// Async-signal-safe.
[[noreturn]] void report_fault(const Fault &fault);

// Makes every fault of the plug-in's call end in report_fault. Call once.
void install_fault_trap();
// report_fault(kTimeout) unless disarmed or re-armed within `seconds`.
void arm_watchdog(unsigned seconds);
void disarm_watchdog();
// Writes to standard output, async-signal-safe.
void write_report(const char *text, size_t length);
// Ends the process at once, with no clean-up that could run plug-in code.
[[noreturn]] void exit_now(int status);

}  // namespace kroplay

#endif  // KROPLAY_FAULT_TRAP_H
