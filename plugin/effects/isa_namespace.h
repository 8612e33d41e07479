// The frame hook's row code is compiled twice, for the SSE2 baseline and
// with AVX2, and chosen at run time. Its headers put everything in an inline
// namespace named after the instruction set of the translation unit that
// includes them, so that the two builds of an inline function never merge
// at link time (the linker could otherwise keep the AVX2 one for both).
#ifndef WAVEFX_ISA_NAMESPACE_H
#define WAVEFX_ISA_NAMESPACE_H

#if defined(__AVX2__)
#define WAVEFX_ISA avx2
#else
#define WAVEFX_ISA sse2
#endif

#endif  // WAVEFX_ISA_NAMESPACE_H
