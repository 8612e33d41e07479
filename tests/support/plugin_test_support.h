// Shared set-up for the suites that link the plug-in's code directly.
#ifndef WAVEFX_TESTS_PLUGIN_TEST_SUPPORT_H
#define WAVEFX_TESTS_PLUGIN_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include "effects/wave_effect.h"
#include "kro_abi.h"
#include "support/gtest_host.h"
#include "support/reference_model.h"

// A fresh fake host bound to the plug-in, both effects back at their
// initial state, and a reference model that agrees with it.
class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.reset();
    krolibrary(TestHost::register_function);
    kromain(TestHost::import_object, TestHost::export_object);
    wavefx::ripple = wavefx::kEffectAtLoad;
    wavefx::distortion = wavefx::kEffectAtLoad;
    model = ReferenceModel{};
  }

  // Fills the background with a pattern in which every row and column differs.
  void paint_background() {
    for (int32_t y = 0; y < host.height; ++y)
      for (int32_t x = 0; x < host.wide; ++x)
        host.background[y * host.wide + x] = static_cast<uint8_t>(1 + (y * 7 + x * 3) % 250);
  }

  TestHost &host = gtest_host();
  ReferenceModel model;
};

#endif  // WAVEFX_TESTS_PLUGIN_TEST_SUPPORT_H
