#include <windows.h>

#include "kroplay/check/guarded_pages.h"

namespace kroplay {
namespace {

DWORD protection(Access access) {
  switch (access) {
    case Access::kNone:
      return PAGE_NOACCESS;
    case Access::kReadOnly:
      return PAGE_READONLY;
    case Access::kReadWrite:
      break;
  }
  return PAGE_READWRITE;
}

}  // namespace

size_t guarded_page_size() {
  static const size_t size = [] {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return static_cast<size_t>(info.dwPageSize);
  }();
  return size;
}

void *reserve_no_access_pages(size_t bytes) {
  // Committed (and so zeroed) at once; only the access changes later.
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
}

void release_pages(void *base, size_t) {
  VirtualFree(base, 0, MEM_RELEASE);
}

bool protect_pages(void *pages, size_t bytes, Access access) {
  DWORD previous;
  return VirtualProtect(pages, bytes, protection(access), &previous) != 0;
}

bool discard_pages(void *pages, size_t bytes) {
  // Decommitted pages stay reserved, and any access to them faults.
  return VirtualFree(pages, bytes, MEM_DECOMMIT) != 0;
}

}  // namespace kroplay
