/* Counts heap operations in this process, for the soak run's check that the
 * plug-in allocates nothing: malloc, calloc, realloc, the aligned forms and
 * free are replaced by counting wrappers around glibc's own allocator
 * (operator new and delete reach them through malloc and free). */
#ifndef WAVEFX_BENCH_ALLOC_COUNTER_H
#define WAVEFX_BENCH_ALLOC_COUNTER_H

#ifdef __cplusplus
extern "C" {
#endif

/* Heap operations (allocations, reallocations and frees) so far; 0 for
 * ever when counting is not supported on this C library. */
unsigned long long heap_operations(void);
/* 1 when heap_operations counts, 0 when it cannot. */
int heap_counting_supported(void);

#ifdef __cplusplus
}
#endif

#endif /* WAVEFX_BENCH_ALLOC_COUNTER_H */
