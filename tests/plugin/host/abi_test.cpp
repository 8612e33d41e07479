// Drives the built module only through its binary interface, the way a
// game runtime does: kroplay's plug-in loader (dlopen, or LoadLibrary on
// Windows), the three entry points, script functions through the stack,
// frames through the exported hook.
#include <gtest/gtest.h>

#include "kro_abi.h"
#include "kroplay/host/plugin_loader.h"
#include "support/gtest_host.h"
#include "support/random_session.h"
#include "support/reference_model.h"
#include "support/scripted_session_hashes.h"
#include "support/scripted_sessions.h"

namespace {

class AbiTest : public ::testing::Test {
 protected:
  void SetUp() override { host.reset(); }

  void start_host() {
    krolibrary(TestHost::register_function);
    kromain(TestHost::import_object, TestHost::export_object);
    // Both effects off: the model and the plug-in agree from here on.
    host.call("STOP_RIPPLE", {});
    host.call("STOP_DISTORT", {});
  }

  // Throws, failing the test, if the module cannot be loaded.
  kroplay::PluginLibrary plugin{WAVEFX_MODULE_PATH};
  decltype(&::krolibrary) krolibrary = plugin.entry_points().krolibrary;
  decltype(&::kromain) kromain = plugin.entry_points().kromain;
  decltype(&::kroend) kroend = plugin.entry_points().kroend;
  TestHost &host = gtest_host();
};

TEST_F(AbiTest, ExportsOnlyTheThreeEntryPoints) {
  for (const char *internal : {"compose_frame", "_ZN6wavefx13compose_frameEv", "_ZN6wavefx6rippleE",
                               "_ZN6wavefx4hostE", "_ZN6wavefx12START_RIPPLEEv"})
    EXPECT_EQ(nullptr, plugin.symbol(internal)) << internal;
}

TEST_F(AbiTest, ARandomHostSessionMatchesTheModel) {
  start_host();
  ReferenceModel model;
  int64_t frames = 0;
  for (uint32_t seed = 1000; seed < 1100 && !HasFailure(); ++seed)
    frames += run_random_session(host, model, seed, 300);
  kroend(TestHost::import_object, TestHost::export_object);
  EXPECT_GT(frames, 10000);
}

// The same frames from wavefx.so and, under Wine, from wavefx.dll: those of
// the reference model with MPFR's correctly rounded sine, recorded on Linux.
TEST_F(AbiTest, ScriptedSessionsGiveTheRecordedFramesOnEveryPlatform) {
  start_host();
  const std::vector<ScriptedSession> &sessions = scripted_sessions();
  ASSERT_EQ(sessions.size(), std::size(kExpectedSessionHashes));
  for (size_t i = 0; i < sessions.size(); ++i) {
    const ScriptedSession &session = sessions[i];
    ASSERT_EQ(session.name, kExpectedSessionHashes[i].session);
    host.call("STOP_RIPPLE", {});
    host.call("STOP_DISTORT", {});
    EXPECT_EQ(session_hash_from_host(host, session), kExpectedSessionHashes[i].hash)
        << session.name;
#if defined(WAVEFX_TESTS_HAVE_MPFR)
    EXPECT_EQ(session_hash_from_model(session), kExpectedSessionHashes[i].hash)
        << "recorded hash out of date: " << session.name;
#endif
    if (i == 0) {  // row 79 shifted right by exactly 127, not 128
      const std::vector<uint8_t> frame = host.frame_contents();
      const uint8_t *row = frame.data() + 79 * session.width;
      EXPECT_EQ(row[126], 0);
      EXPECT_EQ(row[127], session_background_byte(0, 79));
    }
  }
}

TEST_F(AbiTest, AHostThatAnswersNullForUnusedNamesIsServed) {
  host.null_unused_imports = true;
  start_host();
  ReferenceModel model;
  run_random_session(host, model, 7, 2000);
}

}  // namespace
