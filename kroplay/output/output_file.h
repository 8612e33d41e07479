// An output destination chosen by what its path names. A regular file, or a
// path that names nothing yet, is written under a temporary name beside it
// and renamed into place when complete (through a symbolic link: beside the
// link's final target, which is replaced; the link stays). A character
// device, FIFO or socket, and "-" (standard output), cannot be replaced:
// an output written as it is made is built in a temporary file and copied
// into it only when complete, and one written whole at once goes straight
// to it: either way a failed run sends nothing there.
#ifndef KROPLAY_OUTPUT_FILE_H
#define KROPLAY_OUTPUT_FILE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "kroplay/output/temp_file.h"

namespace kroplay {

// How the caller writes the output: as it is made (through the temporary
// file's descriptor), or whole at once by write() once it is complete.
enum class OutputWriting { kAsMade, kWholeAtOnce };

class OutputFile {
 public:
  // Opens the destination at once, so that an unusable output is found
  // before any work. Throws OutputError.
  explicit OutputFile(const std::string &target, OutputWriting writing = OutputWriting::kAsMade);
  // Without commit(), removes the temporary file; a direct destination gets
  // nothing.
  ~OutputFile();
  OutputFile(const OutputFile &) = delete;
  OutputFile &operator=(const OutputFile &) = delete;

  // Written as made: the temporary file's open descriptor; whoever takes it
  // closes it.
  int take_descriptor() { return temp_->take_descriptor(); }
  // Written as made: the temporary file's path, for reopening it.
  const std::string &path() const { return temp_->path(); }
  // Written whole at once: appends `size` bytes to the temporary file or
  // straight to a direct destination. Throws OutputError.
  void write(const void *data, size_t size);
  // A temporary file (not a direct destination) may also be written at
  // `offset`, and have its bytes from `from` on moved down to `to` (below
  // `from`), the file cut after them. Throws OutputError.
  bool rewritable() const { return !direct(); }
  void write_at(int64_t offset, const void *data, size_t size);
  void move_down(int64_t from, int64_t to);
  // The path as given, for messages.
  const std::string &target() const { return target_; }
  // The file being written, for messages about writing it: the target, or
  // the scratch file a direct destination's output is built in.
  const std::string &written_path() const { return direct() && temp_ ? temp_->path() : target_; }
  // True when the destination is written into rather than replaced.
  bool direct() const { return direct_fd_ >= 0; }

  // Moves or copies the complete temporary file to the destination, or
  // closes a destination written directly. Throws OutputError.
  void commit();

 private:
  void copy_to_destination();

  std::string target_;
  std::unique_ptr<TempFile> temp_;
  int direct_fd_ = -1;
};

// "-" names standard output.
bool is_standard_output(const std::string &target);
// How messages name an output: the path, or "standard output".
std::string output_name(const std::string &target);
// True if both paths exist and are the same file (device and inode, after
// following symbolic links).
bool same_file(const std::string &a, const std::string &b);

}  // namespace kroplay

#endif  // KROPLAY_OUTPUT_FILE_H
