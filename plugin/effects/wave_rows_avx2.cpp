// The row loops with AVX2, called only where cpu_features().avx2 holds.
#include "wave_rows_impl.h"

#if !defined(__AVX2__)
#error "wave_rows_avx2.cpp must be compiled with -mavx2"
#endif
