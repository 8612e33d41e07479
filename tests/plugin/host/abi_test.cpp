// Drives the built module only through its binary interface, the way a
// game runtime does: kroplay's plug-in loader (dlopen, or LoadLibrary on
// Windows), the three entry points, script functions through the stack,
// frames through the exported hook.
#include <gtest/gtest.h>

#include "kro_abi.h"
#include "kroplay/host/plugin_loader.h"
#include "support/fake_host.h"
#include "support/random_session.h"
#include "support/reference_model.h"

namespace {

class AbiTest : public ::testing::Test {
 protected:
  void SetUp() override { host.reset(); }

  void start_host() {
    krolibrary(FakeHost::register_function);
    kromain(FakeHost::import_object, FakeHost::export_object);
    // Both effects off: the model and the plug-in agree from here on.
    host.call("STOP_RIPPLE", {});
    host.call("STOP_DISTORT", {});
  }

  // Throws, failing the test, if the module cannot be loaded.
  kroplay::PluginLibrary plugin{WAVEFX_MODULE_PATH};
  decltype(&::krolibrary) krolibrary = plugin.entry_points().krolibrary;
  decltype(&::kromain) kromain = plugin.entry_points().kromain;
  decltype(&::kroend) kroend = plugin.entry_points().kroend;
  FakeHost &host = FakeHost::instance();
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
  kroend(FakeHost::import_object, FakeHost::export_object);
  EXPECT_GT(frames, 10000);
}

TEST_F(AbiTest, AHostThatAnswersNullForUnusedNamesIsServed) {
  host.null_unused_imports = true;
  start_host();
  ReferenceModel model;
  run_random_session(host, model, 7, 2000);
}

}  // namespace
