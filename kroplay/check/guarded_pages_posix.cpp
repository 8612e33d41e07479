#include <sys/mman.h>
#include <unistd.h>

#include "kroplay/check/guarded_pages.h"

namespace kroplay {
namespace {

int protection(Access access) {
  switch (access) {
    case Access::kNone:
      return PROT_NONE;
    case Access::kReadOnly:
      return PROT_READ;
    case Access::kReadWrite:
      break;
  }
  return PROT_READ | PROT_WRITE;
}

}  // namespace

size_t guarded_page_size() {
  static const size_t size = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return size;
}

void *reserve_no_access_pages(size_t bytes) {
  void *base = mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return base == MAP_FAILED ? nullptr : base;
}

void release_pages(void *base, size_t bytes) {
  munmap(base, bytes);
}

bool protect_pages(void *pages, size_t bytes, Access access) {
  return mprotect(pages, bytes, protection(access)) == 0;
}

bool discard_pages(void *pages, size_t bytes) {
  // A fresh no-access mapping in place gives the pages back to the system.
  return mmap(pages, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
         MAP_FAILED;
}

}  // namespace kroplay
