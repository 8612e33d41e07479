#include "trace_session.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "host_platform.h"
#include "trace_format.h"

namespace wavefx_trace {
namespace {

// Written out once this much has gathered.
constexpr size_t kFlushSize = 256 * 1024;

struct Session {
  HostObjects host;
  std::FILE *file = nullptr;
  std::string name;
  bool failed = false;  // nothing more is recorded
  bool reported = false;
  std::string pending_report;  // a failure before the host's text output is known
  std::vector<uint8_t> buffer;
  // The background and palette as the trace last gave them.
  bool have_screen = false;
  int32_t width = 0, height = 0;
  std::vector<uint8_t> background;
  bool have_palette = false;
  uint8_t palette[krotrace::kPaletteSize] = {};
  uint8_t palette_now[krotrace::kPaletteSize] = {};
  int32_t frame_width = 0, frame_height = 0;

  // At unload the host may be gone: what is left is written, nothing said.
  ~Session() {
    if (file != nullptr && !failed) write_buffer();
    if (file != nullptr) std::fclose(file);
  }
  bool write_buffer() {
    const size_t size = buffer.size();
    const bool written =
        (size == 0 || std::fwrite(buffer.data(), 1, size, file) == size) && std::fflush(file) == 0;
    buffer.clear();
    return written;
  }
};

Session session;

krotrace::Writer writer() {
  return krotrace::Writer{session.buffer};
}

void fail(const std::string &why) noexcept {
  session.failed = true;
  try {
    session.buffer.clear();
    report_once(("wavefx-trace: " + why + "; the game goes on without a trace").c_str());
  } catch (...) {
  }
}

std::string default_name() {
  const std::time_t now = std::time(nullptr);
  char name[64] = "wavefx.krotrace";
  if (const std::tm *local = std::localtime(&now))
    std::strftime(name, sizeof name, "wavefx-%Y%m%d-%H%M%S.krotrace", local);
  return name;
}

// Runs `record` unless the trace has failed; a failure of its own (memory
// run out) ends the trace instead of reaching the game.
template <typename Record>
void guarded(Record record) noexcept {
  if (session.failed || session.file == nullptr) return;
  try {
    record();
    if (session.buffer.size() >= kFlushSize) flush_trace();
  } catch (...) {
    fail("cannot keep a trace (out of memory)");
  }
}

size_t screen_bytes(int32_t width, int32_t height) {
  return width > 0 && height > 0 ? static_cast<size_t>(width) * static_cast<size_t>(height) : 0;
}

// The background record when the screen or the background changed since
// the trace last gave it.
void sync_background() {
  const HostObjects &h = session.host;
  if (h.wide == nullptr || h.height == nullptr || h.background == nullptr) return;
  const int32_t width = *h.wide, height = *h.height;
  const size_t size = screen_bytes(width, height);
  const uint8_t *now = *h.background;
  if (size != 0 && now == nullptr) return;
  const bool same_size = session.have_screen && width == session.width && height == session.height;
  if (same_size && (size == 0 || std::memcmp(now, session.background.data(), size) == 0)) return;
  krotrace::Writer w = writer();
  w.u8(krotrace::kBackground);
  krotrace::write_screen_size(w, width, height);
  krotrace::write_picture(w, now, same_size ? session.background.data() : nullptr, size);
  session.background.assign(now, now + size);
  session.have_screen = true;
  session.width = width;
  session.height = height;
}

void sync_palette() {
  const uint8_t *palette = session.host.palette;
  uint8_t *now = session.palette_now;
  if (palette == nullptr || !copy_host_memory(palette, now, sizeof session.palette_now)) return;
  if (session.have_palette && std::memcmp(now, session.palette, sizeof session.palette) == 0)
    return;
  krotrace::Writer w = writer();
  w.u8(krotrace::kPalette);
  krotrace::write_picture(w, now, session.have_palette ? session.palette : nullptr,
                          sizeof session.palette);
  std::memcpy(session.palette, now, sizeof session.palette);
  session.have_palette = true;
}

}  // namespace

HostObjects &host_objects() {
  return session.host;
}

void start_trace() noexcept {
  if (session.file != nullptr || session.failed) return;
  try {
    session.file = open_trace_file(default_name(), session.name);
    if (session.file == nullptr) return fail("cannot write " + session.name);
    krotrace::write_header(writer());
  } catch (...) {
    fail("cannot start a trace");
  }
}

void report_once(const char *what) noexcept {
  if (session.reported) return;
  if (session.host.text_out == nullptr) {
    // Said later, through the host's text output, once kromain shows it.
    try {
      if (session.pending_report.empty()) session.pending_report = what;
    } catch (...) {
    }
    return;
  }
  session.reported = true;
  session.host.text_out(what);
}

void record_function(const char *name, int parameter_count) noexcept {
  guarded([&] {
    const size_t length = name == nullptr ? 0 : std::strlen(name);
    krotrace::FunctionRecord record;
    record.parameter_count = static_cast<uint8_t>(parameter_count);
    record.name = reinterpret_cast<const uint8_t *>(name);
    record.name_length =
        static_cast<uint8_t>(length < krotrace::kMaxNameLength ? length : krotrace::kMaxNameLength);
    record.write(writer());
  });
}

void before_call() noexcept {
  guarded(sync_background);
}

void after_call(int index, const int32_t *arguments, int count, int32_t result) noexcept {
  guarded([&] {
    krotrace::CallRecord record;
    record.function = static_cast<uint16_t>(index);
    std::memcpy(record.arguments, arguments, sizeof(int32_t) * static_cast<size_t>(count));
    record.result = result;
    record.write(writer(), count);
    // The call's own drawing is the plug-in's to repeat on replay: taken
    // in silently, so that only the host's drawing is recorded.
    const HostObjects &h = session.host;
    if (!session.background.empty() && h.background != nullptr && *h.background != nullptr &&
        *h.wide == session.width && *h.height == session.height)
      std::memcpy(session.background.data(), *h.background, session.background.size());
  });
}

void before_frame() noexcept {
  guarded([] {
    sync_background();
    sync_palette();
    session.frame_width = session.width;
    session.frame_height = session.height;
  });
}

void after_frame() noexcept {
  guarded([] {
    const HostObjects &h = session.host;
    krotrace::FrameRecord record;
    record.width = session.frame_width;
    record.height = session.frame_height;
    const size_t size = screen_bytes(record.width, record.height);
    const uint8_t *frame = h.buffer != nullptr ? *h.buffer : nullptr;
    record.hash = krotrace::frame_hash(frame, frame != nullptr ? size : 0);
    record.write(writer());
  });
}

void flush_trace() noexcept {
  if (!session.pending_report.empty() && session.host.text_out != nullptr) {
    report_once(session.pending_report.c_str());
    session.pending_report.clear();
  }
  if (session.failed || session.file == nullptr) return;
  if (!session.write_buffer()) {
    try {
      fail("cannot write " + session.name);
    } catch (...) {
      session.failed = true;
    }
  }
}

}  // namespace wavefx_trace
