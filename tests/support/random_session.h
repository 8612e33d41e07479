// Random host sessions replayed against the plug-in and the reference model
// side by side: script calls with boundary and random arguments, host
// resizes, reallocated bitmaps and frames, compared byte for byte.
#ifndef WAVEFX_TESTS_RANDOM_SESSION_H
#define WAVEFX_TESTS_RANDOM_SESSION_H

#include <cstdint>

#include "support/reference_model.h"
#include "support/test_host.h"

// Runs `steps` random host actions. Returns the number of frames compared;
// reports every difference through GoogleTest and stops at the first.
int64_t run_random_session(TestHost &host, ReferenceModel &model, uint32_t seed, int steps);

// Composes one frame through the plug-in and the model and compares the
// frame buffers. Returns false (after reporting) on any difference.
bool frame_matches_model(TestHost &host, ReferenceModel &model);

#endif  // WAVEFX_TESTS_RANDOM_SESSION_H
