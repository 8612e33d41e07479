#include "kroplay/replay/replay_run.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "kroplay/base/exit_status.h"
#include "kroplay/base/quoted.h"
#include "kroplay/host/host_runtime.h"
#include "kroplay/host/plugin_loader.h"
#include "kroplay/replay/trace_file.h"
#include "kroplay/replay/trace_reader.h"

namespace kroplay {
namespace {

// The replayed plug-in's function for each of the trace's, by name.
class FunctionMap {
 public:
  FunctionMap(const HostRuntime &runtime, const std::string &plugin)
      : runtime_(runtime), plugin_(plugin) {}
  size_t index_of(const TraceReader &reader, size_t traced) {
    while (map_.size() < reader.functions().size())
      map_.push_back(find(reader.functions()[map_.size()]));
    return map_[traced];
  }

 private:
  size_t find(const TraceFunction &traced) const {
    const std::vector<ScriptFunction> &functions = runtime_.functions();
    for (size_t i = 0; i < functions.size(); ++i) {
      if (functions[i].name != traced.name) continue;
      if (functions[i].parameter_count != traced.parameter_count)
        throw ContractError(plugin_ + " registers " + traced.name + " with " +
                            std::to_string(functions[i].parameter_count) +
                            " parameters; the trace's had " +
                            std::to_string(traced.parameter_count));
      return i;
    }
    throw ContractError(plugin_ + " does not register " + quoted(traced.name) +
                        ", which the trace calls");
  }
  const HostRuntime &runtime_;
  const std::string &plugin_;
  std::vector<size_t> map_;
};

std::string described_call(const TraceFunction &function, const krotrace::CallRecord &call) {
  std::string text = function.name + "(";
  for (int i = 0; i < function.parameter_count; ++i)
    text += (i == 0 ? "" : ", ") + std::to_string(call.arguments[i]);
  return text + ")";
}

TraceError named(const TraceError &e, const std::string &trace) {
  return TraceError(trace + ": " + e.what());
}

// A background or palette restored: where the trace holds only changes,
// over what the replayed plug-in's own drawing left, as the game had it.
void apply(const TraceReader &reader, const TraceStep &step, uint8_t *picture,
           const std::string &trace) {
  try {
    reader.apply(step, picture);
  } catch (const TraceError &e) {
    throw named(e, trace);
  }
}

}  // namespace

ReplayReport replay_trace(const ReplaySetup &setup, FrameSink &sink) {
  TraceReader reader(read_trace_file(setup.trace));
  PluginLibrary plugin(setup.plugin);
  HostRuntime runtime(0, 0, setup.null_imports);
  runtime.start(plugin.entry_points());
  FunctionMap map(runtime, setup.plugin);
  ReplayReport report;
  std::string last_call = "no call before it";
  TraceStep step;
  try {
    for (;;) {
      bool more = false;
      try {
        more = reader.next(step);
      } catch (const TraceError &e) {
        throw named(e, setup.trace);
      }
      if (!more) break;
      switch (step.kind) {
        case TraceStep::Kind::kBackground:
          if (step.new_screen) runtime.resize(reader.width(), reader.height());
          apply(reader, step, runtime.background(), setup.trace);
          break;
        case TraceStep::Kind::kPalette:
          apply(reader, step, runtime.palette().data(), setup.trace);
          break;
        case TraceStep::Kind::kCall:
          runtime.call(map.index_of(reader, step.call.function), step.call.arguments);
          last_call = "the last call before it: " +
                      described_call(reader.functions()[step.call.function], step.call);
          break;
        case TraceStep::Kind::kFrame: {
          runtime.compose_frame();
          const size_t size =
              static_cast<size_t>(runtime.width()) * static_cast<size_t>(runtime.height());
          if (krotrace::frame_hash(runtime.frame(), size) != step.frame.hash) {
            if (report.differing++ == 0) report.first_differing = report.frames;
            if (!setup.keep_going)
              throw ReplayMismatch("frame " + std::to_string(report.frames) +
                                   " differs from the trace (" + last_call + "); nothing written");
          }
          ++report.frames;
          sink.frame_composed(runtime);
          break;
        }
      }
    }
  } catch (const EndOfRun &) {
  }
  runtime.finish();
  return report;
}

int replay_exit_status(const ReplayReport &report) {
  if (report.differing == 0) return kExitDone;
  std::fprintf(stderr,
               "kroplay: %lld of %lld frames differ from the trace; the first is frame %lld\n",
               static_cast<long long>(report.differing), static_cast<long long>(report.frames),
               static_cast<long long>(report.first_differing));
  return kExitRunFailed;
}

}  // namespace kroplay
