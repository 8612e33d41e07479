#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "kroplay/check/fault_trap.h"

namespace kroplay {
namespace {

// Hardware exceptions a plug-in's call can raise, reported by the vectored
// handler before any handler of the plug-in's own could hide them.
struct ExceptionInfo {
  DWORD code;
  FaultKind kind;
  const char *name;
};
constexpr ExceptionInfo kExceptions[] = {
    {EXCEPTION_ACCESS_VIOLATION, FaultKind::kMemory, "EXCEPTION_ACCESS_VIOLATION"},
    {EXCEPTION_IN_PAGE_ERROR, FaultKind::kMemory, "EXCEPTION_IN_PAGE_ERROR"},
    {EXCEPTION_STACK_OVERFLOW, FaultKind::kMemory, "EXCEPTION_STACK_OVERFLOW"},
    {EXCEPTION_ARRAY_BOUNDS_EXCEEDED, FaultKind::kMemory, "EXCEPTION_ARRAY_BOUNDS_EXCEEDED"},
    {EXCEPTION_DATATYPE_MISALIGNMENT, FaultKind::kMemory, "EXCEPTION_DATATYPE_MISALIGNMENT"},
    {EXCEPTION_INT_DIVIDE_BY_ZERO, FaultKind::kArithmetic, "EXCEPTION_INT_DIVIDE_BY_ZERO"},
    {EXCEPTION_INT_OVERFLOW, FaultKind::kArithmetic, "EXCEPTION_INT_OVERFLOW"},
    {EXCEPTION_FLT_DIVIDE_BY_ZERO, FaultKind::kArithmetic, "EXCEPTION_FLT_DIVIDE_BY_ZERO"},
    {EXCEPTION_FLT_INVALID_OPERATION, FaultKind::kArithmetic, "EXCEPTION_FLT_INVALID_OPERATION"},
    {EXCEPTION_FLT_OVERFLOW, FaultKind::kArithmetic, "EXCEPTION_FLT_OVERFLOW"},
    {EXCEPTION_ILLEGAL_INSTRUCTION, FaultKind::kIllegalInstruction,
     "EXCEPTION_ILLEGAL_INSTRUCTION"},
    {EXCEPTION_PRIV_INSTRUCTION, FaultKind::kIllegalInstruction, "EXCEPTION_PRIV_INSTRUCTION"},
};

// An access violation's first parameter: 0 read, 1 write, 8 execution
// prevented; the second is the address.
MemoryAccess access_kind(ULONG_PTR parameter) {
  switch (parameter) {
    case 0:
      return MemoryAccess::kRead;
    case 1:
      return MemoryAccess::kWrite;
    case 8:
      return MemoryAccess::kExecute;
    default:
      return MemoryAccess::kUnknown;
  }
}

LONG CALLBACK on_exception(EXCEPTION_POINTERS *pointers) {
  const EXCEPTION_RECORD &record = *pointers->ExceptionRecord;
  for (const ExceptionInfo &e : kExceptions) {
    if (e.code != record.ExceptionCode) continue;
    Fault fault{e.kind, e.name};
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
      fault.access = access_kind(record.ExceptionInformation[0]);
      fault.address = static_cast<uintptr_t>(record.ExceptionInformation[1]);
    }
    report_fault(fault);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

// The C runtime's signals, from raise() and abort() rather than the
// processor.
void on_signal(int signal) {
  switch (signal) {
    case SIGFPE:
      report_fault({FaultKind::kArithmetic, "SIGFPE"});
    case SIGILL:
      report_fault({FaultKind::kIllegalInstruction, "SIGILL"});
    default:
      report_fault({FaultKind::kAbort, "SIGABRT"});
  }
}

// The watchdog: a thread that reports a timeout when the deadline passes
// while armed.
struct Watchdog {
  std::mutex mutex;
  std::condition_variable changed;
  bool armed = false;
  std::chrono::steady_clock::time_point deadline;

  void run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      if (!armed) {
        changed.wait(lock);
      } else if (changed.wait_until(lock, deadline) == std::cv_status::timeout && armed &&
                 std::chrono::steady_clock::now() >= deadline) {
        report_fault({FaultKind::kTimeout, "timeout"});
      }
    }
  }
};

Watchdog &watchdog() {
  static Watchdog *dog = [] {
    auto *d = new Watchdog;
    std::thread([d] { d->run(); }).detach();
    return d;
  }();
  return *dog;
}

}  // namespace

void install_fault_trap() {
  // Room for the handler when the plug-in overran the thread's stack.
  ULONG reserve = 64 * 1024;
  SetThreadStackGuarantee(&reserve);
  if (AddVectoredExceptionHandler(1, on_exception) == nullptr)
    throw std::runtime_error("cannot install the fault handler");
  for (int signal : {SIGFPE, SIGILL, SIGABRT}) std::signal(signal, on_signal);
}

void arm_watchdog(unsigned seconds) {
  Watchdog &dog = watchdog();
  {
    std::lock_guard<std::mutex> lock(dog.mutex);
    dog.armed = true;
    dog.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  }
  dog.changed.notify_one();
}

void disarm_watchdog() {
  Watchdog &dog = watchdog();
  {
    std::lock_guard<std::mutex> lock(dog.mutex);
    dog.armed = false;
  }
  dog.changed.notify_one();
}

void write_report(const char *text, size_t length) {
  // Lines end in CR LF, as the C runtime's text-mode output writes them.
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD written;
  size_t start = 0;
  for (size_t i = 0; i <= length; ++i) {
    if (i < length && text[i] != '\n') continue;
    WriteFile(out, text + start, static_cast<DWORD>(i - start), &written, nullptr);
    if (i < length) WriteFile(out, "\r\n", 2, &written, nullptr);
    start = i + 1;
  }
}

void exit_now(int status) {
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
  for (;;) {
  }
}

}  // namespace kroplay
