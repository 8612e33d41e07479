#include "kroplay/record/script_run.h"

#include <utility>

#include "kroplay/script/demo_script.h"

namespace kroplay {

ScriptRun::ScriptRun(RunSetup setup, std::unique_ptr<FrameOutput> output)
    : setup_(std::move(setup)), output_(std::move(output)) {}

ScriptRun::~ScriptRun() {
  try {
    end(false);
  } catch (...) {
  }
}

void ScriptRun::set_print_stream(std::FILE *out, std::function<void()> before) {
  print_out_ = out;
  before_print_ = std::move(before);
}

void ScriptRun::set_watchdog(std::function<void()> check, int instructions) {
  watchdog_ = std::move(check);
  watchdog_instructions_ = instructions;
}

void ScriptRun::run(FrameSink &sink) {
  try {
    runtime_.emplace(setup_.width, setup_.height, setup_.null_imports);
    script_ = std::make_unique<ScriptApi>(*runtime_, sink);
    script_->set_print_stream(print_out_, before_print_);
    if (watchdog_) script_->set_watchdog(watchdog_, watchdog_instructions_);
    if (setup_.script.empty())
      script_->load_source(demo_script(), "demo.lua");
    else
      script_->load_file(setup_.script);
    plugin_.emplace(setup_.plugin);
    started_ = true;
    runtime_->start(plugin_->entry_points());
    script_->bind_plugin_functions();
    script_->run();
  } catch (...) {
    end(false);
    throw;
  }
  end(true);
}

bool ScriptRun::call(const std::string &name, const int32_t *arguments, int count,
                     int32_t &result) {
  return started_ && script_ && script_->call(name, arguments, count, result);
}

void ScriptRun::end(bool report) {
  if (started_) {
    started_ = false;
    try {
      runtime_->finish();
    } catch (...) {
      if (report) {
        // The run failed after all; its Lua state still closes first.
        end(false);
        throw;
      }
    }
  }
  if (!script_) return;
  // A watchdog may stop the finalizers (the user quits meanwhile): that
  // request counts, whatever happened before.
  const std::exception_ptr before = script_->fatal();
  script_->close();
  if (script_->fatal() != before) std::rethrow_exception(script_->fatal());
}

}  // namespace kroplay
