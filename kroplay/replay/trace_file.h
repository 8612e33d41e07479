// A trace file's bytes, read whole: only a regular file, of at most
// kMaxTraceBytes.
#ifndef KROPLAY_TRACE_FILE_H
#define KROPLAY_TRACE_FILE_H

#include <cstdint>
#include <string>
#include <vector>

namespace kroplay {

// A 10-minute session takes a few MiB (docs/trace-format.md); this is far
// beyond any real one and still fits a 32-bit process.
inline constexpr int64_t kMaxTraceBytes = int64_t{512} << 20;

// Throws TraceError naming `path` and the reason.
std::vector<uint8_t> read_trace_file(const std::string &path);

}  // namespace kroplay

#endif  // KROPLAY_TRACE_FILE_H
