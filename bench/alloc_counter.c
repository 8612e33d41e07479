#define _GNU_SOURCE
#include "alloc_counter.h"

#include <errno.h>
#include <stddef.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define WAVEFX_SANITIZED_HEAP 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define WAVEFX_SANITIZED_HEAP 1
#endif

/* Under a sanitizer the sanitizer owns the allocator: no counting then. */
#if defined(__GLIBC__) && !defined(WAVEFX_SANITIZED_HEAP)

/* glibc's allocator under its internal names; a program may define the
 * public ones, and every library in the process then calls these wrappers. */
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);
void *__libc_memalign(size_t alignment, size_t size);
void __libc_free(void *block);

/* One thread: the soak run is single-threaded, like every host of the
 * plug-in. */
static unsigned long long operations;

void *malloc(size_t size) {
  ++operations;
  return __libc_malloc(size);
}

void *calloc(size_t count, size_t size) {
  ++operations;
  return __libc_calloc(count, size);
}

void *realloc(void *block, size_t size) {
  ++operations;
  return __libc_realloc(block, size);
}

void *memalign(size_t alignment, size_t size) {
  ++operations;
  return __libc_memalign(alignment, size);
}

void *aligned_alloc(size_t alignment, size_t size) {
  ++operations;
  return __libc_memalign(alignment, size);
}

int posix_memalign(void **out, size_t alignment, size_t size) {
  ++operations;
  void *block = __libc_memalign(alignment, size);
  if (block == NULL) return ENOMEM;
  *out = block;
  return 0;
}

void free(void *block) {
  if (block != NULL) ++operations;
  __libc_free(block);
}

unsigned long long heap_operations(void) {
  return operations;
}

int heap_counting_supported(void) {
  return 1;
}

#else

unsigned long long heap_operations(void) {
  return 0;
}

int heap_counting_supported(void) {
  return 0;
}

#endif
