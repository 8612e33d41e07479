// What vector instructions the processor offers, so that hot loops can pick
// a variant at run time. Asked of the processor once
// (cpuid, which a virtual machine may trap and make slow) and cached.
// Any thread; the cache is written at most once with the same value.
#ifndef WAVEFX_CPU_FEATURES_H
#define WAVEFX_CPU_FEATURES_H

namespace wavefx {

struct CpuFeatures {
  bool avx2;         // AVX2 instructions, with the system saving YMM registers
  bool sse2 = true;  // SSE2: the x86 builds' baseline; false on other targets
};

CpuFeatures cpu_features();

// For tests, so that every variant runs on one machine: later calls of
// cpu_features() return `features` (only a subset of the real ones is safe).
void override_cpu_features(CpuFeatures features);

}  // namespace wavefx

#endif  // WAVEFX_CPU_FEATURES_H
