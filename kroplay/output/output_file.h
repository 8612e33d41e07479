// An output destination chosen by what its path names. A regular file, or a
// path that names nothing yet, is written under a temporary name beside it
// and renamed into place when complete (through a symbolic link: beside the
// link's final target, which is replaced; the link stays). A character
// device, FIFO or socket, and "-" (standard output), cannot be replaced:
// the output is built in a temporary file and copied into it only when
// complete, so a failed run sends nothing there.
#ifndef KROPLAY_OUTPUT_FILE_H
#define KROPLAY_OUTPUT_FILE_H

#include <memory>
#include <string>

#include "kroplay/output/temp_file.h"

namespace kroplay {

class OutputFile {
 public:
  // Opens the destination at once, so that an unusable output is found
  // before any work. Throws OutputError.
  explicit OutputFile(const std::string &target);
  // Without commit(), removes the temporary file; a direct destination gets
  // nothing.
  ~OutputFile();
  OutputFile(const OutputFile &) = delete;
  OutputFile &operator=(const OutputFile &) = delete;

  // The temporary file's open descriptor; whoever takes it closes it.
  int take_descriptor() { return temp_->take_descriptor(); }
  // The temporary file's path, for reopening it.
  const std::string &path() const { return temp_->path(); }
  // The path as given, for messages.
  const std::string &target() const { return target_; }
  // The file being written, for messages about writing it: the target, or
  // for a direct destination the scratch file the output is built in.
  const std::string &written_path() const { return direct() ? temp_->path() : target_; }
  // True when the destination is written into rather than replaced.
  bool direct() const { return direct_fd_ >= 0; }

  // Moves or copies the complete (closed) temporary file to the
  // destination. Throws OutputError.
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
