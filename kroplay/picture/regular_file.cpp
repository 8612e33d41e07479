#include "kroplay/picture/regular_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace kroplay {

std::vector<uint8_t> read_and_close(int fd, int64_t size) {
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  size_t done = 0;
  while (done < bytes.size()) {
    const auto n = read(fd, bytes.data() + done, static_cast<unsigned>(bytes.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const std::string reason = std::strerror(errno);
      close(fd);
      throw std::runtime_error(reason);
    }
    if (n == 0) break;  // shortened meanwhile
    done += static_cast<size_t>(n);
  }
  close(fd);
  bytes.resize(done);
  return bytes;
}

}  // namespace kroplay
