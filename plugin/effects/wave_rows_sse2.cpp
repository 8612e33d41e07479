// The row loops for the SSE2 baseline.
#include "wave_rows_impl.h"
