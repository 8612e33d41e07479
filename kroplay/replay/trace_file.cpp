#include "kroplay/replay/trace_file.h"

#include <unistd.h>

#include "kroplay/picture/regular_file.h"
#include "kroplay/replay/trace_reader.h"

namespace kroplay {

std::vector<uint8_t> read_trace_file(const std::string &path) {
  int64_t size = 0;
  std::string refusal;
  const int fd = open_regular_file(path, size, refusal);
  if (fd < 0) throw TraceError("cannot read " + path + ": " + refusal);
  if (size > kMaxTraceBytes) {
    close(fd);
    throw TraceError(path + ": larger than " + std::to_string(kMaxTraceBytes >> 20) + " MiB");
  }
  try {
    return read_and_close(fd, size);
  } catch (const std::runtime_error &e) {
    throw TraceError("cannot read " + path + ": " + e.what());
  }
}

}  // namespace kroplay
