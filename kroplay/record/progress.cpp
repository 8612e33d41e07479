#include "kroplay/record/progress.h"

#include <unistd.h>

#include <atomic>
#include <cstring>

namespace kroplay {
namespace {

// Shared with the signal handler, which may only read lock-free atomics.
std::atomic<int64_t> frames_composed{0};
std::atomic<bool> recording{false};
std::atomic<bool> line_shown{false};

constexpr char kClearLine[] = "\r\033[K";

void write_text(const char *text, size_t length) {
  while (length > 0) {
    const ssize_t put = write(STDERR_FILENO, text, length);
    if (put <= 0) return;
    text += put;
    length -= static_cast<size_t>(put);
  }
}

}  // namespace

Progress::Progress(std::FILE *out, bool enabled) : out_(out), enabled_(enabled) {
  frames_composed = 0;
  recording = true;
}

Progress::~Progress() {
  finish();
}

void Progress::update(int64_t frames) {
  frames_composed = frames;
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (line_shown && now - last_ < std::chrono::milliseconds(100)) return;
  last_ = now;
  line_shown = true;
  std::fprintf(out_, "\rkroplay: frame %lld", static_cast<long long>(frames));
  std::fflush(out_);
}

void Progress::finish() {
  recording = false;
  clear_progress_line();
}

void clear_progress_line() {
  if (!line_shown.exchange(false)) return;
  std::fflush(stderr);
  write_text(kClearLine, sizeof kClearLine - 1);
}

void report_interrupt(bool broken_pipe) {
  if (!recording) return;
  if (line_shown.exchange(false)) write_text(kClearLine, sizeof kClearLine - 1);
  // The frame number in decimal, without the allocating formatters.
  char digits[24];
  size_t start = sizeof digits;
  uint64_t n = static_cast<uint64_t>(frames_composed.load());
  do {
    digits[--start] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0);
  const char *what =
      broken_pipe ? "kroplay: the output pipe closed at frame " : "kroplay: interrupted at frame ";
  write_text(what, std::strlen(what));
  write_text(digits + start, sizeof digits - start);
  const char tail[] = ", nothing written\n";
  write_text(tail, sizeof tail - 1);
}

void report_stop(const char *line) {
  if (line_shown.exchange(false)) write_text(kClearLine, sizeof kClearLine - 1);
  write_text(line, std::strlen(line));
}

}  // namespace kroplay
