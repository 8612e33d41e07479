// What happens to each composed frame in a kroplay run: appended to the GIF,
// hashed onto stdout with --hash, counted on the progress line.
#ifndef KROPLAY_RECORDER_H
#define KROPLAY_RECORDER_H

#include <cstdint>
#include <cstdio>

#include "kroplay/gif/gif_writer.h"
#include "kroplay/record/progress.h"
#include "kroplay/script/script_api.h"

namespace kroplay {

class Recorder : public FrameSink {
 public:
  // `hash_out` null: no hash lines.
  Recorder(GifWriter &gif, std::FILE *hash_out, Progress &progress)
      : gif_(gif), hash_out_(hash_out), progress_(progress) {}

  void frame_composed(const HostRuntime &runtime) override;

  int64_t frames() const { return frames_; }

 private:
  GifWriter &gif_;
  std::FILE *hash_out_;
  Progress &progress_;
  int64_t frames_ = 0;
};

}  // namespace kroplay

#endif  // KROPLAY_RECORDER_H
