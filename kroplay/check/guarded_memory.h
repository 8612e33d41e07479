// Host objects placed right against no-access pages, so that a plug-in that
// reads or writes a byte outside one stops with a fault at once; and a
// lookup from a fault address to the object it missed, usable inside a
// signal handler.
#ifndef KROPLAY_GUARDED_MEMORY_H
#define KROPLAY_GUARDED_MEMORY_H

#include <cstddef>
#include <cstdint>

namespace kroplay {

// Where an object lies in its pages: its last byte just before the no-access
// page above it, or its first byte just after the one below it.
enum class Placement { kEndAtGuard, kStartAtGuard };

enum class Access { kNone, kReadOnly, kReadWrite };

// `size` bytes (0 allowed) of zeroed memory between two no-access pages,
// from mmap. `label` names the object in fault reports, e.g. "the
// background (7x5, ending at a guard page)"; it is copied.
class GuardedBlock {
 public:
  GuardedBlock(const char *label, size_t size, Placement placement);
  ~GuardedBlock();
  GuardedBlock(const GuardedBlock &) = delete;
  GuardedBlock &operator=(const GuardedBlock &) = delete;

  uint8_t *data() const { return data_; }
  size_t size() const { return size_; }
  // Changes the access to the object's pages; the guard pages stay no-access.
  void protect(Access access);
  // Makes the whole block no-access but keeps its addresses reserved and
  // named, so a plug-in that kept a pointer into it is caught and told so.
  void retire();

 private:
  uint8_t *base_ = nullptr;  // the mapping, guard pages included
  size_t mapped_ = 0;
  uint8_t *pages_ = nullptr;  // the object's pages
  size_t page_bytes_ = 0;
  uint8_t *data_ = nullptr;
  size_t size_ = 0;
  int slot_ = -1;  // entry in the fault lookup table
};

// Writes into `out` (at most `capacity` bytes, always terminated) what the
// fault address `address` hit, e.g. "1 byte past the end of the background
// (7x5, ending at a guard page)". Returns false when it lies in no known
// block. Async-signal-safe.
bool describe_fault_address(uintptr_t address, char *out, size_t capacity);

}  // namespace kroplay

#endif  // KROPLAY_GUARDED_MEMORY_H
