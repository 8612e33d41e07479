// kroplay --check: our plug-in and an independent one pass every check;
// each deliberately broken variant fails with the check and the message
// that name its fault; the tally always matches the lines. Also the fault
// address lookup behind the overrun reports.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "kroplay/check/guarded_memory.h"
#include "kroplay/check/guarded_pages.h"
#include "support/run_program.h"

namespace {

struct CheckRun {
  int status = -1;
  std::string out, err;
  std::vector<std::string> lines;
};

CheckRun check(const std::string &arguments) {
  const ProgramRun program = run_program(KROPLAY_PATH, arguments);
  CheckRun run{program.status, program.out, program.err, {}};
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) run.lines.push_back(line);
  return run;
}

std::string plugin(const std::string &variant) {
  return "--plugin " + quoted_argument(BROKEN_PLUGIN_DIR "/" + variant + MODULE_SUFFIX);
}

// Every line is "ok - ..." or "FAIL - ..." but the last, which is the
// tally of exactly those lines.
void expect_consistent(const CheckRun &run) {
  ASSERT_FALSE(run.lines.empty()) << run.err;
  int ok = 0, failed = 0;
  for (size_t i = 0; i + 1 < run.lines.size(); ++i) {
    const std::string &line = run.lines[i];
    if (line.rfind("ok - ", 0) == 0)
      ++ok;
    else if (line.rfind("FAIL - ", 0) == 0)
      ++failed;
    else
      ADD_FAILURE() << "stray line: " << line;
  }
  EXPECT_EQ(std::to_string(ok) + " passed, " + std::to_string(failed) + " failed",
            run.lines.back());
  EXPECT_EQ(failed == 0 ? 0 : 3, run.status) << run.out;
}

void expect_passes(const CheckRun &run) {
  expect_consistent(run);
  EXPECT_EQ(0, run.status) << run.out;
  EXPECT_EQ(std::string::npos, run.out.find("FAIL")) << run.out;
  EXPECT_EQ("", run.err);
  // Every function on every screen in both placements (176), the loading,
  // registration, imports and export (6) and kroend (2).
  EXPECT_EQ(184u + 1, run.lines.size()) << run.out;  // and the tally
  for (const char *line :
       {"ok - krolibrary registers each with its parameter count",
        "ok - kromain imports the 26 host names in order",
        "ok - PUT_VLINE on 1920x1080, starting after a guard page: ",
        "ok - START_RIPPLE on 0x0, ending at a guard page: ",
        "ok - CHANGE_DVAL on 33x1, ending at a guard page: 231 calls, 231 frames",
        "ok - HOW_HIGH on 7x0, starting after a guard page: ",
        "ok - kroend calls no host operation"})
    EXPECT_NE(std::string::npos, run.out.find(line)) << line;
}

TEST(KroplayCheck, OurPluginPassesEveryCheck) {
  expect_passes(check("--check"));
}

TEST(KroplayCheck, AnIndependentPlainPluginPassesToo) {
  expect_passes(check("--check " + plugin("wave_ok")));
}

TEST(KroplayCheck, EachBrokenVariantFailsWithItsFaultNamed) {
  const struct {
    const char *variant;
    const char *message;  // part of a FAIL line
  } cases[] = {
      {"wave_wrong_count",
       "FAIL - krolibrary registers each with its parameter count: 'CHANGE_DVAL' registered with "
       "3 parameters, expected 2"},
      {"wave_import_order",
       "FAIL - kromain imports the 26 host names in order: import 10 is 'height', expected "
       "'wide'"},
      {"wave_kroend_imports",
       "FAIL - kroend calls no host operation: called import_object for 'stack'"},
      {"wave_start_result", "START_DISTORT(3, 7, 4) gave 1, expected 0"},
      {"wave_pops_extra",
       "FAIL - STOP_DISTORT on 0x0, ending at a guard page: STOP_DISTORT(): sp moved by 0 over a "
       "call with 0 arguments (must move by 1)"},
      // The same fault overruns the stack once arguments sit at its start.
      {"wave_pops_extra", "4 bytes before the start of the argument stack"},
      {"wave_distort_fill",
       "should be its background row shifted by 1 under the distortion, but pixel 0 is 1, not 0"},
      {"wave_vline_overrun",
       "FAIL - PUT_VLINE on 1x1, ending at a guard page: PUT_VLINE(1, 0) wrote 1 byte past the end "
       "of the background (1x1, ending at a guard page)"},
      // Unnoticed while the bitmap ends at a guard page (the bytes before it
      // are readable), caught when it starts right after one.
      {"wave_ripple_no_lower_clamp",
       "bytes before the start of the background (1x1, starting after a guard page)"},
      {"wave_hook_writes_background",
       "wrote the background (7x5, ending at a guard page) at byte 28, which is read-only here"},
      {"wave_fill_draws_frame",
       "FILL(0) wrote the frame buffer (1x1, ending at a guard page) at byte 0, which is "
       "read-only here"},
      {"wave_stale_background",
       "a stale pointer into the background (0x0, ending at a guard page), which the host has "
       "replaced since"},
      {"wave_reads_unused",
       "FILL(0) read the host's 'mem' (fetched, never to be used), which must never be touched"},
      {"wave_wide_64", "1 byte past the end of the host's 'wide'"},
      {"wave_no_colour_clamp", "FILL(256) left the background at (0, 0) 0, expected 255"},
      {"wave_change_clears_slot",
       "CHANGE_RVAL(0, 1): the call changed the stack entry +1 from the result's place"},
      {"wave_hook_touches_stack",
       "frame 1 after START_RIPPLE(0, 10, 20): the hook changed the stack entry +0 from sp"},
      {"wave_kroend_stops",
       "FAIL - kroend leaves the ripple and the hook running: frame 1 after kroend: frame row"},
      {"wave_hangs",
       "FAIL - STOP_DISTORT on 0x0, ending at a guard page: STOP_DISTORT() did not return within "
       "10 s"},
      {"wave_raises_fpe",
       "FAIL - HOW_WIDE on 0x0, ending at a guard page: HOW_WIDE() raised SIGFPE (an arithmetic "
       "fault, such as a division by zero)"},
      {"null_function", "FAIL - krolibrary registers no null function: 'ADD' registered as null"},
      {"exports_other",
       "FAIL - kromain exports 'background_to_buffer' last, and nothing else: exported "
       "'buffer_to_screen', expected 'background_to_buffer'"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.variant);
    const CheckRun run = check("--check " + plugin(c.variant));
    expect_consistent(run);
    EXPECT_EQ(3, run.status);
    EXPECT_NE(std::string::npos, run.out.find(c.message)) << run.out;
  }
}

TEST(KroplayCheck, APluginWithOtherFunctionsFailsRegistration) {
  const CheckRun run = check("--check " + plugin("well_behaved"));
  expect_consistent(run);
  EXPECT_NE(std::string::npos,
            run.out.find("FAIL - krolibrary registers the eleven functions by name, in order: "
                         "function 1 is 'ADD', expected 'START_RIPPLE'"))
      << run.out;
}

TEST(KroplayCheck, UnloadablePluginAndBadCommandLines) {
  const CheckRun missing = check("--check --plugin /nonexistent/plugin.so");
  EXPECT_EQ(3, missing.status);
  ASSERT_EQ(2u, missing.lines.size()) << missing.out;
  EXPECT_EQ(0u, missing.lines[0].find("FAIL - loading the plug-in: cannot load plug-in "
                                      "'/nonexistent/plugin.so'"));
  EXPECT_EQ("0 passed, 1 failed", missing.lines[1]);

  const CheckRun with_script = check("--check demo.lua");
  EXPECT_EQ(2, with_script.status);
  EXPECT_NE(std::string::npos, with_script.err.find("--check runs no script")) << with_script.err;
  EXPECT_EQ(2, check("--check=yes").status);
  EXPECT_NE(std::string::npos, check("--help").out.find("--check"));
}

TEST(GuardedMemory, FaultAddressesNameTheObjectAndTheDistance) {
  using kroplay::GuardedBlock;
  GuardedBlock end("the thing", 10, kroplay::Placement::kEndAtGuard);
  GuardedBlock start("the other", 10, kroplay::Placement::kStartAtGuard);
  const size_t page = kroplay::guarded_page_size();
  // Each object sits right against a guard page on the side named.
  EXPECT_EQ(0, reinterpret_cast<uintptr_t>(end.data() + 10) % page);
  EXPECT_EQ(0, reinterpret_cast<uintptr_t>(start.data()) % page);

  char text[200];
  auto describe = [&](const uint8_t *address) {
    return kroplay::describe_fault_address(reinterpret_cast<uintptr_t>(address), text, sizeof text)
               ? std::string(text)
               : std::string("(none)");
  };
  EXPECT_EQ("1 byte past the end of the thing", describe(end.data() + 10));
  EXPECT_EQ("4 bytes past the end of the thing", describe(end.data() + 13));
  EXPECT_EQ("1 byte before the start of the other", describe(start.data() - 1));
  EXPECT_EQ("the thing", describe(end.data() + 3));
  end.protect(kroplay::Access::kReadOnly);
  EXPECT_EQ("the thing at byte 3, which is read-only here", describe(end.data() + 3));
  start.retire();
  EXPECT_EQ("a stale pointer into the other, which the host has replaced since",
            describe(start.data() + 2));
  EXPECT_EQ("(none)", describe(reinterpret_cast<const uint8_t *>(&page)));
  // A cut-off description stays terminated.
  EXPECT_TRUE(
      kroplay::describe_fault_address(reinterpret_cast<uintptr_t>(end.data() + 10), text, 8));
  EXPECT_EQ("1 byte ", std::string(text));
}

}  // namespace
