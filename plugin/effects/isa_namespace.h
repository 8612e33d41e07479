// The frame hook's row code is compiled once per instruction set: for the
// SSE2 baseline and with AVX2 on x86, chosen at run time, and portably, with
// no vector instructions, for every other target. Its headers put everything
// in an inline namespace named after the instruction set of the translation
// unit that includes them, so that two builds of an inline function never
// merge at link time (the linker could otherwise keep the AVX2 one for all).
//
// WAVEFX_ROWS_SSE2, WAVEFX_ROWS_AVX and WAVEFX_ROWS_AVX2 say which vector
// instructions the row code may use: those the translation unit is built
// for, none where WAVEFX_PORTABLE_ROWS is defined (x86 builds compile the
// portable loops too, so that tests hold them to the same bytes).
#ifndef WAVEFX_ISA_NAMESPACE_H
#define WAVEFX_ISA_NAMESPACE_H

#if defined(WAVEFX_PORTABLE_ROWS)
#define WAVEFX_ISA portable
#elif defined(__AVX2__)
#define WAVEFX_ISA avx2
#define WAVEFX_ROWS_SSE2 1
#define WAVEFX_ROWS_AVX 1
#define WAVEFX_ROWS_AVX2 1
#elif defined(__SSE2__)
#define WAVEFX_ISA sse2
#define WAVEFX_ROWS_SSE2 1
#if defined(__AVX__)
#define WAVEFX_ROWS_AVX 1
#endif
#else
#define WAVEFX_ISA portable
#endif

#endif  // WAVEFX_ISA_NAMESPACE_H
