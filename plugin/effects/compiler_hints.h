// Hints to the compiler in the frame hook's hot code, each beside the
// compiler it is written for. They change inlining, code layout and register
// use, never a result: under any other compiler each one is the plain form.
// Why each use pays is said where it is used.
#ifndef WAVEFX_COMPILER_HINTS_H
#define WAVEFX_COMPILER_HINTS_H

#include "isa_namespace.h"

// GCC and Clang (GNU attributes): a function inlined into every caller, or
// one kept out of line.
#if defined(__GNUC__)
#define WAVEFX_ALWAYS_INLINE __attribute__((always_inline)) inline
#define WAVEFX_NEVER_INLINE __attribute__((noinline))
#else
#define WAVEFX_ALWAYS_INLINE inline
#define WAVEFX_NEVER_INLINE
#endif

// GCC (12 measured) building for 32-bit x86: the next instruction on a
// 32-byte boundary. That build aligns no inner loop of its own, and
// -falign-loops, which would, made its row loops slower as a whole.
#if defined(__GNUC__) && defined(__i386__)
#define WAVEFX_ALIGN_NEXT_LOOP() __asm__ volatile(".p2align 5")
#else
#define WAVEFX_ALIGN_NEXT_LOOP() static_cast<void>(0)
#endif

// GCC and Clang: the memory at `a` and `b` counts as read and everything as
// written here, so values computed before stay in memory rather than in
// registers across the code that follows (for GCC 12's 32-bit build, eight
// vector registers).
#if defined(__GNUC__)
#define WAVEFX_SPILL_TO_MEMORY(a, b) __asm__ volatile("" : : "r"(a), "r"(b) : "memory")
#else
#define WAVEFX_SPILL_TO_MEMORY(a, b) static_cast<void>(0)
#endif

namespace wavefx {
inline namespace WAVEFX_ISA {

// `p` unchanged, but opaque to the compiler (GCC and Clang). For GCC 12's
// 32-bit AVX2 build: it stored some vectors loaded through a pointer it
// could trace (a function argument, a stack array) to the stack as well and
// never read them back, a dead 32-byte store per load. Loads through an
// opaque pointer get no such store.
template <typename T>
WAVEFX_ALWAYS_INLINE T *opaque(T *p) {
#if defined(__GNUC__)
  __asm__("" : "+r"(p));
#endif
  return p;
}

}  // namespace WAVEFX_ISA
}  // namespace wavefx

#endif  // WAVEFX_COMPILER_HINTS_H
