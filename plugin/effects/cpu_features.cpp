#include "cpu_features.h"

#include <atomic>
#include <cstdint>

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#include <cpuid.h>
#define WAVEFX_HAS_CPUID 1
#endif

namespace wavefx {

namespace {

constexpr unsigned kKnown = 1, kAvx2 = 2, kSse2 = 4;

// What every processor the build runs on has.
#if defined(__SSE2__)
constexpr unsigned kBaseline = kKnown | kSse2;
#else
constexpr unsigned kBaseline = kKnown;
#endif

#if defined(WAVEFX_HAS_CPUID)
// The extended registers the system saves on a task switch (XCR0).
uint64_t saved_register_state() {
  uint32_t low, high;
  __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  return uint64_t{high} << 32 | low;
}

unsigned ask_processor() {
  unsigned eax, ebx, ecx, edx;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return kBaseline;
  const bool osxsave = ecx & bit_OSXSAVE, avx = ecx & bit_AVX;
  // Both XMM (bit 1) and YMM (bit 2) state must be saved for VEX code.
  if (!osxsave || !avx || (saved_register_state() & 6) != 6) return kBaseline;
  if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) && (ebx & bit_AVX2)) return kBaseline | kAvx2;
  return kBaseline;
}
#else
unsigned ask_processor() {
  return kBaseline;
}
#endif

std::atomic<unsigned> cached{0};

}  // namespace

CpuFeatures cpu_features() {
  unsigned features = cached.load(std::memory_order_relaxed);
  if (!features) {
    features = ask_processor();
    cached.store(features, std::memory_order_relaxed);
  }
  return {(features & kAvx2) != 0, (features & kSse2) != 0};
}

void override_cpu_features(CpuFeatures features) {
  cached.store(kKnown | (features.avx2 ? kAvx2 : 0) | (features.sse2 ? kSse2 : 0),
               std::memory_order_relaxed);
}

}  // namespace wavefx
