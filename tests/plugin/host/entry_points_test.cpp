// The entry points as a host sees them: exactly the calls of the host
// operations that the contract lists, in order, and nothing else.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "effects/wave_effect.h"
#include "kro_abi.h"
#include "support/gtest_host.h"

namespace {

const std::vector<std::string> kImportOrder = {"stack",
                                               "mem",
                                               "palette",
                                               "active_palette",
                                               "key",
                                               "buffer",
                                               "background",
                                               "ghost",
                                               "sp",
                                               "wide",
                                               "height",
                                               "ss_time",
                                               "ss_status",
                                               "ss_exit",
                                               "process_size",
                                               "id_offset",
                                               "id_init_offset",
                                               "id_start_offset",
                                               "id_end_offset",
                                               "set_palette",
                                               "kro_malloc",
                                               "kro_free",
                                               "kro_fopen",
                                               "kro_fclose",
                                               "kro_rand",
                                               "kro_text_out"};

class EntryPointsTest : public ::testing::Test {
 protected:
  void SetUp() override { host.reset(); }
  TestHost &host = gtest_host();
};

TEST_F(EntryPointsTest, KrolibraryRegistersTheElevenFunctionsInOrderAndNothingElse) {
  krolibrary(TestHost::register_function);
  const std::vector<std::pair<std::string, int>> expected = {
      {"START_RIPPLE", 3}, {"STOP_RIPPLE", 0}, {"START_DISTORT", 3}, {"STOP_DISTORT", 0},
      {"CHANGE_RVAL", 2},  {"CHANGE_DVAL", 2}, {"FILL", 1},          {"PUT_HLINE", 2},
      {"PUT_VLINE", 2},    {"HOW_WIDE", 0},    {"HOW_HIGH", 0}};
  ASSERT_EQ(expected.size(), host.registrations.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(expected[i].first, host.registrations[i].name);
    EXPECT_EQ(expected[i].second, host.registrations[i].parameter_count);
    EXPECT_NE(nullptr, host.registrations[i].function);
  }
  EXPECT_EQ(expected.size(), host.events.size()) << "krolibrary called another host operation";
}

TEST_F(EntryPointsTest, RegisteredNamesAreConstantsThatStayValid) {
  krolibrary(TestHost::register_function);
  const std::vector<Registration> first = host.registrations;
  host.reset();
  krolibrary(TestHost::register_function);
  kromain(TestHost::import_object, TestHost::export_object);
  ASSERT_EQ(first.size(), host.registrations.size());
  for (size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(first[i].name_pointer, host.registrations[i].name_pointer);
    EXPECT_STREQ(first[i].name.c_str(), first[i].name_pointer);
  }
}

TEST_F(EntryPointsTest, KromainImportsTheTwentySixNamesInOrderThenExportsTheHookLast) {
  kromain(TestHost::import_object, TestHost::export_object);
  EXPECT_EQ(kImportOrder, host.imports);
  ASSERT_EQ(kImportOrder.size() + 1, host.events.size());
  EXPECT_EQ("export background_to_buffer", host.events.back());
  ASSERT_EQ(1u, host.exports.size());
  EXPECT_NE(nullptr, host.exports.at("background_to_buffer"));
}

TEST_F(EntryPointsTest, KroendCallsNothingAndChangesNothing) {
  krolibrary(TestHost::register_function);
  kromain(TestHost::import_object, TestHost::export_object);
  host.resize(4, 4);
  host.call("START_RIPPLE", {5, 10, 20});
  host.frame();
  const wavefx::WaveEffect before = wavefx::ripple;
  const size_t events = host.events.size();
  kroend(TestHost::import_object, TestHost::export_object);
  EXPECT_EQ(events, host.events.size());
  EXPECT_EQ(0, std::memcmp(&before, &wavefx::ripple, sizeof before));
  // The hook and the bindings still work after kroend.
  host.frame();
  EXPECT_EQ(4, host.call("HOW_WIDE", {}));
}

TEST_F(EntryPointsTest, HostAnsweringNullForUnusedNamesServesEverything) {
  host.null_unused_imports = true;
  krolibrary(TestHost::register_function);
  kromain(TestHost::import_object, TestHost::export_object);
  host.resize(5, 3);
  EXPECT_EQ(0, host.call("FILL", {9}));
  EXPECT_EQ(1, host.call("START_RIPPLE", {5, 10, 2}));
  host.frame();
  EXPECT_EQ(std::vector<uint8_t>(15, 9), host.frame_contents());
  EXPECT_EQ(3, host.call("HOW_HIGH", {}));
}

}  // namespace
