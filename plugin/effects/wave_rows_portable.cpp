// The row loops without vector instructions, for targets other than x86
// (WebAssembly); x86 builds compile them too, for the tests.
#define WAVEFX_PORTABLE_ROWS
#include "wave_rows_impl.h"
