// An output file written under a temporary name beside its final path and
// renamed into place only when complete, so that a failed or interrupted
// run leaves nothing half-written.
#ifndef KROPLAY_TEMP_FILE_H
#define KROPLAY_TEMP_FILE_H

#include <stdexcept>
#include <string>

namespace kroplay {

// An output that cannot be created or written; the message names the path.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TempFile {
 public:
  // Creates `target`.XXXXXX with the permissions a new file would get
  // (when that name is too long, the target's name gives up its last seven
  // bytes to the suffix). Throws OutputError.
  explicit TempFile(const std::string &target);
  // Removes the temporary file unless commit() succeeded.
  ~TempFile();
  TempFile(const TempFile &) = delete;
  TempFile &operator=(const TempFile &) = delete;

  // The open descriptor; whoever takes it closes it.
  int take_descriptor();
  // The open descriptor, still closed by commit() or the destructor.
  int descriptor() const { return fd_; }
  // Renames the (closed) file to the target. Throws OutputError.
  void commit();

  const std::string &target() const { return target_; }
  const std::string &path() const { return path_; }

 private:
  std::string target_;
  std::string path_;
  int fd_ = -1;
  bool committed_ = false;
};

// Closes and removes the pending temporary file, if any, as kroplay ends.
// Safe in a signal handler and on any thread.
void remove_pending_temp_file();

}  // namespace kroplay

#endif  // KROPLAY_TEMP_FILE_H
