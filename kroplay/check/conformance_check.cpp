#include "kroplay/check/conformance_check.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "kroplay/base/exit_status.h"
#include "kroplay/check/conformance_cases.h"
#include "kroplay/check/conformance_host.h"
#include "kroplay/check/conformance_model.h"
#include "kroplay/check/fault_report.h"
#include "kroplay/host/contract_tables.h"
#include "kroplay/host/plugin_loader.h"

namespace kroplay {
namespace {

struct Screen {
  int32_t width, height;
};

// Empty, single-pixel, odd, one-row, one-column and large screens.
constexpr Screen kScreens[] = {{0, 0},  {1, 1}, {7, 5}, {33, 1},
                               {1, 33}, {0, 7}, {7, 0}, {1920, 1080}};
constexpr Placement kPlacements[] = {Placement::kEndAtGuard, Placement::kStartAtGuard};

// Frames composed after each call under test; fewer on large screens.
int frames_after_call(const Screen &screen) {
  return static_cast<int64_t>(screen.width) * screen.height > 100000 ? 1 : 3;
}

std::string call_text(const std::string &name, const std::vector<int32_t> &arguments) {
  std::string text = name + "(";
  for (size_t i = 0; i < arguments.size(); ++i)
    text += (i > 0 ? ", " : "") + std::to_string(arguments[i]);
  return text + ")";
}

std::string quoted(const std::string &name) {
  return "'" + name + "'";
}

class Checker {
 public:
  explicit Checker(const PluginEntryPoints &plugin) : plugin_(plugin) {}
  int run();
  void report(const std::string &check, const std::string &problem);

 private:
  void check_krolibrary(const std::vector<HostEvent> &events);
  void check_kromain(const std::vector<HostEvent> &events);
  void check_kroend();
  void check_screen(const Screen &screen, Placement placement);
  bool scenario(const std::string &function, const std::vector<int32_t> &arguments);

  // One checked call: stack effect, result and background against the
  // model. On failure `problem_` says what went wrong.
  bool call(const std::string &name, const std::vector<int32_t> &arguments = {});
  // `count` frames through the hook, each compared with the model.
  bool frames(int count);
  void paint_background();

  PluginEntryPoints plugin_;
  ConformanceHost host_;
  PluginModel model_;
  std::vector<uint8_t> background_;                // what the host's background must hold
  std::vector<uint8_t> pattern_;                   // the background each drawing case starts from
  std::map<std::string, kro_function> functions_;  // registered as expected
  std::string check_, problem_, last_call_;
  int frames_per_call_ = 3;
  int calls_ = 0, frames_ = 0;
  int drawing_cases_ = 0;
  int passed_ = 0, failed_ = 0;
};

void Checker::report(const std::string &check, const std::string &problem) {
  if (problem.empty()) {
    std::printf("ok - %s\n", check.c_str());
    ++passed_;
  } else {
    std::printf("FAIL - %s: %s\n", check.c_str(), problem.c_str());
    ++failed_;
  }
  std::fflush(stdout);
  set_fault_tally(passed_, failed_);
}

void Checker::check_krolibrary(const std::vector<HostEvent> &events) {
  std::string order, counts, nulls;
  const size_t expected = std::size(kScriptFunctions);
  for (size_t i = 0; i < events.size() || i < expected; ++i) {
    if (i >= events.size()) {
      order = std::to_string(events.size()) + " functions registered, expected " +
              std::to_string(expected) + "; first missing: " + kScriptFunctions[i].name;
    } else if (i >= expected) {
      order =
          "function " + std::to_string(i + 1) + " " + quoted(events[i].name) + " is one too many";
    } else if (events[i].name != kScriptFunctions[i].name) {
      order = "function " + std::to_string(i + 1) + " is " + quoted(events[i].name) +
              ", expected " + quoted(kScriptFunctions[i].name);
    } else {
      continue;
    }
    break;
  }
  // Functions registered under an expected name, in any place, with the
  // right count and not null, are called by the checks that follow.
  for (const HostEvent &e : events)
    for (const ScriptFunctionInfo &want : kScriptFunctions) {
      if (e.name != want.name) continue;
      if (counts.empty() && e.parameter_count != want.parameters)
        counts = quoted(e.name) + " registered with " + std::to_string(e.parameter_count) +
                 " parameters, expected " + std::to_string(want.parameters);
      if (e.parameter_count == want.parameters && e.address != nullptr)
        functions_[e.name] = reinterpret_cast<kro_function>(e.address);
    }
  for (const HostEvent &e : events)
    if (nulls.empty() && e.address == nullptr) nulls = quoted(e.name) + " registered as null";
  report("krolibrary registers the eleven functions by name, in order", order);
  report("krolibrary registers each with its parameter count", counts);
  report("krolibrary registers no null function", nulls);
}

void Checker::check_kromain(const std::vector<HostEvent> &events) {
  std::string imports, exports;
  size_t next = 0;  // imports seen so far
  const HostEvent *exported = nullptr;
  for (const HostEvent &e : events) {
    if (e.kind == HostEvent::kImport) {
      if (exported != nullptr && exports.empty())
        exports = "imported " + quoted(e.name) + " after its export";
      if (imports.empty() && next >= std::size(kImports))
        imports = "import " + std::to_string(next + 1) + " " + quoted(e.name) + " is one too many";
      else if (imports.empty() && e.name != kImports[next].name)
        imports = "import " + std::to_string(next + 1) + " is " + quoted(e.name) + ", expected " +
                  quoted(kImports[next].name);
      ++next;
    } else if (e.kind == HostEvent::kExport) {
      if (exports.empty() && exported != nullptr)
        exports = "exported more than once (also " + quoted(e.name) + ")";
      else if (exports.empty() && e.name != KRO_HOOK_BACKGROUND_TO_BUFFER)
        exports = "exported " + quoted(e.name) + ", expected '" KRO_HOOK_BACKGROUND_TO_BUFFER "'";
      else if (exports.empty() && e.address == nullptr)
        exports = "exported a null hook";
      exported = &e;
    } else if (exports.empty()) {
      exports = "registered " + quoted(e.name) + " outside krolibrary";
    }
  }
  if (imports.empty() && next < std::size(kImports))
    imports = std::to_string(next) + " names imported, expected " +
              std::to_string(std::size(kImports)) + "; first missing: " + kImports[next].name;
  if (exports.empty() && exported == nullptr) exports = "exported no frame hook";
  report("kromain imports the 26 host names in order", imports);
  report("kromain exports '" KRO_HOOK_BACKGROUND_TO_BUFFER "' last, and nothing else", exports);
}

void Checker::paint_background() {
  const int32_t w = host_.width(), h = host_.height();
  if (pattern_.size() != host_.screen_bytes()) {
    // Every row different from its neighbours, so a wrong source row shows.
    pattern_.resize(host_.screen_bytes());
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x)
        pattern_[static_cast<size_t>(y) * w + x] =
            static_cast<uint8_t>(x * 7 + y * 13 + (y >> 8) + 1);
  }
  background_ = pattern_;
  if (!background_.empty()) std::memcpy(host_.background(), background_.data(), background_.size());
}

bool Checker::call(const std::string &name, const std::vector<int32_t> &arguments) {
  last_call_ = call_text(name, arguments);
  const auto f = functions_.find(name);
  if (f == functions_.end()) {
    problem_ = "cannot call " + name + ": not registered as expected";
    return false;
  }
  set_fault_context(check_.c_str(), last_call_.c_str());
  ++calls_;
  int32_t result = 0;
  const std::string broke = host_.call(f->second, arguments, result);
  if (!broke.empty()) {
    problem_ = last_call_ + ": " + broke;
    return false;
  }
  const int32_t expected = model_.call(name, arguments, background_, host_.width(), host_.height());
  if (result != expected) {
    problem_ =
        last_call_ + " gave " + std::to_string(result) + ", expected " + std::to_string(expected);
    return false;
  }
  const uint8_t *actual = host_.background();
  if (background_.empty() || std::memcmp(actual, background_.data(), background_.size()) == 0)
    return true;
  for (size_t i = 0; i < background_.size(); ++i) {
    if (actual[i] == background_[i]) continue;
    const size_t w = static_cast<size_t>(host_.width());
    problem_ = last_call_ + " left the background at (" + std::to_string(i % w) + ", " +
               std::to_string(i / w) + ") " + std::to_string(actual[i]) + ", expected " +
               std::to_string(background_[i]);
    return false;
  }
  return true;
}

bool Checker::frames(int count) {
  for (int j = 0; j < count; ++j) {
    const std::string what = "frame " + std::to_string(j + 1) + " after " + last_call_;
    set_fault_context(check_.c_str(), what.c_str());
    ++frames_;
    std::string problem = host_.compose();
    if (problem.empty())
      problem = model_.check_frame(background_, host_.frame(), host_.width(), host_.height());
    if (!problem.empty()) {
      problem_ = what + ": " + problem;
      return false;
    }
  }
  return true;
}

// Each call under test starts from a known state of both effects, so one
// failure does not spread to the next case.
bool Checker::scenario(const std::string &f, const std::vector<int32_t> &args) {
  const int n = frames_per_call_;
  if (f == "START_RIPPLE")  // the distortion on as well: the ripple wins
    return call("START_DISTORT", {3, 7, 4}) && call(f, args) && frames(n);
  if (f == "START_DISTORT") return call("STOP_RIPPLE") && call(f, args) && frames(n);
  if (f == "STOP_RIPPLE")  // the frozen distortion resumes
    return call("START_RIPPLE", {5, 10, 20}) && call("START_DISTORT", {3, 7, 4}) && frames(1) &&
           call(f) && frames(n);
  if (f == "STOP_DISTORT")
    return call("STOP_RIPPLE") && call("START_DISTORT", {5, 10, 20}) && frames(1) && call(f) &&
           frames(n);
  if (f == "CHANGE_RVAL")
    return call("STOP_DISTORT") && call("START_RIPPLE", {5, 10, 20}) && call(f, args) && frames(n);
  if (f == "CHANGE_DVAL")
    return call("STOP_RIPPLE") && call("START_DISTORT", {5, 10, 20}) && call(f, args) && frames(n);
  if (f == "FILL" || f == "PUT_HLINE" || f == "PUT_VLINE") {
    // Every other drawing case with a ripple running, which the drawing
    // must show through; the others without an effect, where the frame is
    // the background itself.
    paint_background();
    const bool rippled = ++drawing_cases_ % 2 == 0;
    return call("STOP_DISTORT") &&
           (rippled ? call("START_RIPPLE", {40, 100, 3}) : call("STOP_RIPPLE")) && call(f, args) &&
           frames(n);
  }
  return call("STOP_RIPPLE") && call("STOP_DISTORT") && call(f, args) && frames(n);
}

void Checker::check_screen(const Screen &screen, Placement placement) {
  host_.set_screen(screen.width, screen.height, placement);
  pattern_.clear();
  paint_background();
  frames_per_call_ = frames_after_call(screen);
  for (const ScriptFunctionInfo &f : kScriptFunctions) {
    check_ = std::string(f.name) + " on " + host_.screen_name();
    problem_.clear();
    calls_ = frames_ = 0;
    if (functions_.count(f.name) == 0) continue;  // its registration failed
    for (const auto &args : boundary_arguments(f.name, screen.width, screen.height))
      if (!scenario(f.name, args)) break;
    const std::string counts = ": " + std::to_string(calls_) + " calls, " +
                               std::to_string(frames_) + (frames_ == 1 ? " frame" : " frames");
    report(check_ + (problem_.empty() ? counts : ""), problem_);
  }
}

void Checker::check_kroend() {
  host_.set_screen(7, 5, Placement::kEndAtGuard);
  pattern_.clear();
  paint_background();
  check_ = "kroend";
  problem_.clear();
  const bool running = call("STOP_DISTORT") && call("START_RIPPLE", {5, 10, 3}) && frames(2);
  set_fault_context("kroend", "kroend");
  const std::vector<HostEvent> events = host_.run_kroend(plugin_.kroend);
  std::string silent;
  if (!events.empty())
    silent = std::string("called ") +
             (events[0].kind == HostEvent::kImport   ? "import_object"
              : events[0].kind == HostEvent::kExport ? "export_object"
                                                     : "register_function") +
             " for " + quoted(events[0].name);
  report("kroend calls no host operation", silent);
  last_call_ = "kroend";
  if (running) frames(3);
  report("kroend leaves the ripple and the hook running", problem_);
}

int Checker::run() {
  set_fault_context("krolibrary", "krolibrary");
  check_krolibrary(host_.run_krolibrary(plugin_.krolibrary));
  set_fault_context("kromain", "kromain");
  check_kromain(host_.run_kromain(plugin_.kromain));
  for (const Screen &screen : kScreens)
    for (Placement placement : kPlacements) check_screen(screen, placement);
  check_kroend();
  stop_watchdog();
  std::printf("%d passed, %d failed\n", passed_, failed_);
  std::fflush(stdout);
  return failed_ == 0 ? kExitDone : kExitPluginFailed;
}

}  // namespace

int run_conformance_check(const std::string &plugin_path) {
  install_fault_handler();
  set_fault_context("loading", "dlopen");
  try {
    const PluginLibrary library(plugin_path);
    Checker checker(library.entry_points());
    checker.report(plugin_path + " loads and has krolibrary, kromain and kroend", "");
    return checker.run();
  } catch (const PluginError &e) {
    stop_watchdog();
    std::printf("FAIL - loading the plug-in: %s\n0 passed, 1 failed\n", e.what());
    std::fflush(stdout);
    return kExitPluginFailed;
  }
}

}  // namespace kroplay
