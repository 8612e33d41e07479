#include "kroplay/check/guarded_memory.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "kroplay/check/guarded_pages.h"

namespace kroplay {
namespace {

// What the fault handler knows about each live block. Filled before the
// block is handed out, read only by describe_fault_address.
struct BlockRecord {
  bool used;
  bool retired;
  Access access;
  uintptr_t begin, end;            // the whole mapping
  uintptr_t data_begin, data_end;  // the object
  char label[120];
};

constexpr int kMaxBlocks = 128;
BlockRecord records[kMaxBlocks];

// Bounded appending, without the C library's formatting (not async-signal-safe).
struct Text {
  char *out;
  size_t capacity, length;
  void add(const char *s) {
    while (*s != '\0' && length + 1 < capacity) out[length++] = *s++;
    out[length] = '\0';
  }
  void add_number(uint64_t value) {
    char digits[24];
    int n = 0;
    do digits[n++] = static_cast<char>('0' + value % 10);
    while ((value /= 10) != 0);
    char reversed[24];
    for (int i = 0; i < n; ++i) reversed[i] = digits[n - 1 - i];
    reversed[n] = '\0';
    add(reversed);
  }
  void add_bytes(uint64_t count) {
    add_number(count);
    add(count == 1 ? " byte" : " bytes");
  }
};

}  // namespace

GuardedBlock::GuardedBlock(const char *label, size_t size, Placement placement) : size_(size) {
  const size_t page = guarded_page_size();
  page_bytes_ = (size + page - 1) / page * page;
  mapped_ = page_bytes_ + 2 * page;
  base_ = static_cast<uint8_t *>(reserve_no_access_pages(mapped_));
  if (base_ == nullptr) throw std::bad_alloc();
  pages_ = base_ + page;
  data_ = placement == Placement::kEndAtGuard ? pages_ + page_bytes_ - size : pages_;
  protect(Access::kReadWrite);

  for (int i = 0; i < kMaxBlocks; ++i) {
    if (records[i].used) continue;
    BlockRecord &r = records[i];
    r.retired = false;
    r.access = Access::kReadWrite;
    r.begin = reinterpret_cast<uintptr_t>(base_);
    r.end = r.begin + mapped_;
    r.data_begin = reinterpret_cast<uintptr_t>(data_);
    r.data_end = r.data_begin + size;
    std::strncpy(r.label, label, sizeof r.label - 1);
    r.label[sizeof r.label - 1] = '\0';
    r.used = true;
    slot_ = i;
    break;
  }
  if (slot_ < 0) {
    release_pages(base_, mapped_);
    throw std::logic_error("too many guarded blocks");
  }
}

GuardedBlock::~GuardedBlock() {
  records[slot_].used = false;
  release_pages(base_, mapped_);
}

void GuardedBlock::protect(Access access) {
  if (page_bytes_ > 0 && !protect_pages(pages_, page_bytes_, access))
    throw std::runtime_error("cannot change the access to guarded pages");
  if (slot_ >= 0) records[slot_].access = access;
}

void GuardedBlock::retire() {
  if (page_bytes_ > 0 && !discard_pages(pages_, page_bytes_))
    throw std::runtime_error("cannot retire guarded pages");
  records[slot_].retired = true;
  records[slot_].access = Access::kNone;
}

bool describe_fault_address(uintptr_t address, char *out, size_t capacity) {
  Text text{out, capacity, 0};
  out[0] = '\0';
  for (const BlockRecord &r : records) {
    if (!r.used || address < r.begin || address >= r.end) continue;
    if (r.retired) {
      text.add("a stale pointer into ");
      text.add(r.label);
      text.add(", which the host has replaced since");
    } else if (address < r.data_begin) {
      text.add_bytes(r.data_begin - address);
      text.add(" before the start of ");
      text.add(r.label);
    } else if (address >= r.data_end) {
      text.add_bytes(address - r.data_end + 1);
      text.add(" past the end of ");
      text.add(r.label);
    } else {
      text.add(r.label);
      if (r.access == Access::kReadOnly) {
        text.add(" at byte ");
        text.add_number(address - r.data_begin);
        text.add(", which is read-only here");
      } else if (r.access == Access::kNone) {
        text.add(", which must never be touched");
      }
    }
    return true;
  }
  return false;
}

}  // namespace kroplay
