// Debug assertions, kept as SQLite keeps them: invariants that the code
// relies on and that comments state, checked in Debug builds (the sanitizer
// build among them) and compiled out of every other build, which then calls
// no abort and imports none. plugin/CMakeLists.txt defines
// WAVEFX_DEBUG_ASSERTIONS for Debug builds only.
#ifndef WAVEFX_DEBUG_ASSERT_H
#define WAVEFX_DEBUG_ASSERT_H

#if defined(WAVEFX_DEBUG_ASSERTIONS)
#include <cassert>
#define WAVEFX_ASSERT(condition) assert(condition)
#else
// Not evaluated, but its names count as used.
#define WAVEFX_ASSERT(condition) static_cast<void>(sizeof((condition) ? 1 : 0))
#endif

#endif  // WAVEFX_DEBUG_ASSERT_H
