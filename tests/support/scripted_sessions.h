// Scripted sessions whose frames must be the same bytes on every platform:
// rows constructed to lie next to a truncation boundary, huge frequencies,
// typical effects. Each session's frames hash to one number; the expected
// numbers (scripted_session_hashes.h) come from the reference model with
// MPFR's sine on Linux.
#ifndef WAVEFX_TESTS_SCRIPTED_SESSIONS_H
#define WAVEFX_TESTS_SCRIPTED_SESSIONS_H

#include <cstdint>
#include <string>
#include <vector>

#include "support/test_host.h"

struct ScriptedCall {
  std::string name;
  std::vector<int32_t> arguments;
};

struct ScriptedSession {
  std::string name;
  int32_t width;
  int32_t height;
  std::vector<ScriptedCall> calls;  // made on the patterned width x height screen
  int64_t skipped_frames;           // then frames on an empty screen: only the phase moves
  int hashed_frames;                // then frames at width x height, all hashed
};

const std::vector<ScriptedSession> &scripted_sessions();

// The background every session starts from: each byte differs from its
// neighbours, so any moved row changes the frame.
uint8_t session_background_byte(int32_t x, int32_t y);

// The session's frame hash from the plug-in behind `host` (loaded, both
// effects stopped), or from the reference model.
uint64_t session_hash_from_host(TestHost &host, const ScriptedSession &session);
uint64_t session_hash_from_model(const ScriptedSession &session);

#endif  // WAVEFX_TESTS_SCRIPTED_SESSIONS_H
