// The host runtime driving the real plug-in and the deliberately broken
// ones in-process: objects served, calls through the stack, frames, and
// every contract breach reported with the function at fault.
#include "kroplay/host/host_runtime.h"

#include <gtest/gtest.h>

#include <memory>

#include "kroplay/host/plugin_loader.h"
#include "support/reference_model.h"

using kroplay::ContractError;
using kroplay::HostRuntime;
using kroplay::PluginError;
using kroplay::PluginLibrary;

namespace {

std::string broken(const std::string &variant) {
  return BROKEN_PLUGIN_DIR "/" + variant + MODULE_SUFFIX;
}

size_t index_of(const HostRuntime &runtime, const std::string &name) {
  for (size_t i = 0; i < runtime.functions().size(); ++i)
    if (runtime.functions()[i].name == name) return i;
  ADD_FAILURE() << "no function " << name;
  return 0;
}

int32_t call(HostRuntime &runtime, const std::string &name, std::vector<int32_t> args) {
  return runtime.call(index_of(runtime, name), args.data());
}

std::string breach(const std::string &variant, bool call_add, bool compose) {
  const PluginLibrary plugin(broken(variant));
  HostRuntime runtime(4, 3, false);
  try {
    runtime.start(plugin.entry_points());
    if (call_add) call(runtime, "ADD", {2, 3});
    if (compose) runtime.compose_frame();
  } catch (const ContractError &e) {
    // Once broken, the runtime refuses to go on.
    EXPECT_THROW(runtime.compose_frame(), ContractError);
    return e.what();
  }
  return "(no breach)";
}

TEST(HostRuntime, ServesTheRealPlugin) {
  const PluginLibrary plugin(WAVEFX_MODULE_PATH);
  HostRuntime runtime(32, 16, false);
  runtime.start(plugin.entry_points());
  ASSERT_EQ(26u, runtime.imports().size());
  EXPECT_EQ("stack", runtime.imports().front());
  EXPECT_EQ("kro_text_out", runtime.imports().back());
  EXPECT_TRUE(runtime.has_hook());
  ASSERT_EQ(11u, runtime.functions().size());
  EXPECT_EQ("START_RIPPLE", runtime.functions()[0].name);
  EXPECT_EQ(3, runtime.functions()[0].parameter_count);

  EXPECT_EQ(32, call(runtime, "HOW_WIDE", {}));
  EXPECT_EQ(16, call(runtime, "HOW_HIGH", {}));
  EXPECT_EQ(0, call(runtime, "FILL", {5}));
  EXPECT_EQ(5, runtime.background()[32 * 16 - 1]);
  EXPECT_EQ(0, runtime.frame()[0]);  // the frame changes only when composed
  runtime.compose_frame();
  EXPECT_EQ(std::vector<uint8_t>(32 * 16, 5),
            std::vector<uint8_t>(runtime.frame(), runtime.frame() + 32 * 16));

  // Fresh bitmaps at new addresses: the plug-in follows them.
  runtime.resize(10, 7);
  EXPECT_EQ(10, call(runtime, "HOW_WIDE", {}));
  EXPECT_EQ(7, call(runtime, "HOW_HIGH", {}));
  ReferenceModel model;
  std::vector<uint8_t> background(70, 0), expected(70, 0);
  for (int32_t row = 0; row < 7; ++row) {
    call(runtime, "PUT_HLINE", {row, row * 10});
    model.call("PUT_HLINE", {row, row * 10}, background, 10, 7);
  }
  EXPECT_EQ(1, call(runtime, "START_RIPPLE", {40, 90, 3}));
  model.call("START_RIPPLE", {40, 90, 3}, background, 10, 7);
  for (int n = 0; n < 5; ++n) {
    runtime.compose_frame();
    model.compose(background, expected, 10, 7);
    ASSERT_EQ(expected, std::vector<uint8_t>(runtime.frame(), runtime.frame() + 70)) << n;
  }
  EXPECT_EQ(6, runtime.frames_composed());
  runtime.finish();
}

TEST(HostRuntime, WithoutAHookAFrameIsTheBackground) {
  HostRuntime runtime(3, 2, false);
  runtime.background()[4] = 9;
  runtime.compose_frame();
  EXPECT_EQ(9, runtime.frame()[4]);
}

TEST(HostRuntime, NullImportsAnswerTheTwentyUnreadNamesWithNull) {
  const PluginLibrary plugin(broken("well_behaved"));
  for (bool nulls : {false, true}) {
    HostRuntime runtime(4, 4, nulls);
    runtime.start(plugin.entry_points());
    EXPECT_EQ(nulls ? KRO_IMPORT_UNREAD_COUNT : 0, call(runtime, "NULL_IMPORTS", {}));
    EXPECT_EQ(-5, call(runtime, "ADD", {-7, 2}));
  }
}

TEST(HostRuntime, DefaultPaletteIsServedAsThePaletteObject) {
  const kroplay::Palette p = kroplay::default_palette();
  // System colours, then the colour cube, then the greys.
  EXPECT_EQ(0, p[0] + p[1] + p[2]);
  EXPECT_EQ(128, p[3 * 1]);
  EXPECT_EQ(255 * 3, p[3 * 15] + p[3 * 15 + 1] + p[3 * 15 + 2]);
  EXPECT_EQ(95, p[3 * (16 + 36) + 0]);
  EXPECT_EQ(255, p[3 * 231 + 2]);
  EXPECT_EQ(8, p[3 * 232]);
  EXPECT_EQ(238, p[3 * 255]);
  HostRuntime runtime(1, 1, false);
  EXPECT_EQ(p, runtime.palette());
}

TEST(HostRuntime, ContractBreachesNameTheFunction) {
  EXPECT_EQ(
      "ADD broke the stack contract: sp moved by 0 over a call with 2 arguments "
      "(must move by -1)",
      breach("pops_too_few", true, false));
  EXPECT_EQ(
      "ADD broke the stack contract: sp moved by -2 over a call with 2 arguments "
      "(must move by -1)",
      breach("pops_too_many", true, false));
  EXPECT_EQ(
      "kromain exported 'buffer_to_screen'; the only name a host takes is "
      "'background_to_buffer'",
      breach("exports_other", false, false));
  EXPECT_EQ("krolibrary registered 'ADD' with a null function",
            breach("null_function", false, false));
  EXPECT_EQ("krolibrary registered 'ADD' with a negative parameter count (-1)",
            breach("negative_count", false, false));
  EXPECT_EQ("background_to_buffer moved sp", breach("hook_moves_sp", false, true));
  EXPECT_EQ("(no breach)", breach("well_behaved", true, true));
}

TEST(HostRuntime, PluginsThatCannotBeUsedAreRefused) {
  try {
    PluginLibrary plugin(broken("no_kroend"));
    ADD_FAILURE() << "loaded";
  } catch (const PluginError &e) {
    EXPECT_NE(std::string::npos, std::string(e.what()).find("has no entry point kroend"));
  }
  EXPECT_THROW(PluginLibrary(broken("missing")), PluginError);
}

}  // namespace
