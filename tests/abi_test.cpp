// Drives the built module only through its binary interface, the way a
// game runtime does: dlopen, the three entry points, script functions
// through the stack, frames through the exported hook.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "fake_host.h"
#include "kro_abi.h"
#include "random_session.h"
#include "reference_model.h"

namespace {

class LoadedPlugin {
 public:
  LoadedPlugin() : handle_(dlopen(WAVEFX_MODULE_PATH, RTLD_NOW | RTLD_LOCAL)) {}
  ~LoadedPlugin() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  bool loaded() const { return handle_ != nullptr; }
  template <typename F>
  F entry(const char *name) const {
    return reinterpret_cast<F>(dlsym(handle_, name));
  }

 private:
  void *handle_;
};

class AbiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plugin.loaded()) << dlerror();
    krolibrary = plugin.entry<decltype(&::krolibrary)>("krolibrary");
    kromain = plugin.entry<decltype(&::kromain)>("kromain");
    kroend = plugin.entry<decltype(&::kroend)>("kroend");
    ASSERT_NE(nullptr, krolibrary);
    ASSERT_NE(nullptr, kromain);
    ASSERT_NE(nullptr, kroend);
    host.reset();
  }

  void start_host() {
    krolibrary(FakeHost::register_function);
    kromain(FakeHost::import_object, FakeHost::export_object);
    // Both effects off: the model and the plug-in agree from here on.
    host.call("STOP_RIPPLE", {});
    host.call("STOP_DISTORT", {});
  }

  LoadedPlugin plugin;
  decltype(&::krolibrary) krolibrary = nullptr;
  decltype(&::kromain) kromain = nullptr;
  decltype(&::kroend) kroend = nullptr;
  FakeHost &host = FakeHost::instance();
};

TEST_F(AbiTest, ExportsOnlyTheThreeEntryPoints) {
  for (const char *internal : {"compose_frame", "_ZN6wavefx13compose_frameEv", "_ZN6wavefx6rippleE",
                               "_ZN6wavefx4hostE", "_ZN6wavefx12START_RIPPLEEv"})
    EXPECT_EQ(nullptr, plugin.entry<void *>(internal)) << internal;
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
