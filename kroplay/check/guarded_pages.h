// The operating system's page operations behind GuardedBlock: one
// implementation per platform (guarded_pages_posix.cpp with mmap and
// mprotect, guarded_pages_win32.cpp with VirtualAlloc and VirtualProtect).
#ifndef KROPLAY_GUARDED_PAGES_H
#define KROPLAY_GUARDED_PAGES_H

#include <cstddef>

#include "kroplay/check/guarded_memory.h"

namespace kroplay {

// The granularity of protection changes.
size_t guarded_page_size();

// `bytes` (a multiple of the page size) of zeroed, no-access memory;
// nullptr when the system has none.
void *reserve_no_access_pages(size_t bytes);

// Gives back a whole reservation.
void release_pages(void *base, size_t bytes);

// Sets the access to pages inside a reservation. False on failure.
bool protect_pages(void *pages, size_t bytes, Access access);

// Returns the pages' memory to the system but keeps their addresses
// reserved and no-access. False on failure.
bool discard_pages(void *pages, size_t bytes);

}  // namespace kroplay

#endif  // KROPLAY_GUARDED_PAGES_H
