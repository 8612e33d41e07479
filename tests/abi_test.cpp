// Drives the built module only through its binary interface, the way a
// game runtime does: dlopen (LoadLibrary on Windows), the three entry
// points, script functions through the stack, frames through the exported
// hook.
#include <gtest/gtest.h>

#include <string>

#include "fake_host.h"
#include "kro_abi.h"
#include "random_session.h"
#include "reference_model.h"
#include "scripted_session_hashes.h"
#include "scripted_sessions.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

#ifdef _WIN32
using ModuleHandle = HMODULE;
ModuleHandle open_module(const char *path) {
  return LoadLibraryA(path);
}
void close_module(ModuleHandle handle) {
  FreeLibrary(handle);
}
void *find_symbol(ModuleHandle handle, const char *name) {
  return reinterpret_cast<void *>(GetProcAddress(handle, name));
}
std::string load_error() {
  return "LoadLibrary error " + std::to_string(GetLastError());
}
#else
using ModuleHandle = void *;
ModuleHandle open_module(const char *path) {
  return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}
void close_module(ModuleHandle handle) {
  dlclose(handle);
}
void *find_symbol(ModuleHandle handle, const char *name) {
  return dlsym(handle, name);
}
std::string load_error() {
  return dlerror();
}
#endif

class LoadedPlugin {
 public:
  LoadedPlugin() : handle_(open_module(WAVEFX_MODULE_PATH)) {}
  ~LoadedPlugin() {
    if (handle_ != nullptr) close_module(handle_);
  }
  bool loaded() const { return handle_ != nullptr; }
  template <typename F>
  F entry(const char *name) const {
    return reinterpret_cast<F>(find_symbol(handle_, name));
  }

 private:
  ModuleHandle handle_;
};

class AbiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plugin.loaded()) << load_error();
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
