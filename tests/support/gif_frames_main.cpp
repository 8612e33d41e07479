// gif_frames FILE.gif: reads a GIF back with giflib and prints, for every
// frame as a viewer composes it, "frame N HASH delay D" (the hash as in
// kroplay --hash, over the composed screen and the frame's colour table).
// Run on a GIF from each platform, it shows whether they are the same
// animation frame for frame.
#include <cinttypes>
#include <cstdio>

#include "kroplay/record/frame_hash.h"
#include "support/gif_reading.h"

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gif_frames FILE.gif\n");
    return 2;
  }
  ReadGif gif;
  const std::string problem = read_gif(argv[1], gif);
  if (!problem.empty()) {
    std::fprintf(stderr, "gif_frames: %s: %s\n", argv[1], problem.c_str());
    return 1;
  }
  for (size_t i = 0; i < gif.frames.size(); ++i) {
    const ReadFrame &f = gif.frames[i];
    const uint64_t hash = kroplay::frame_hash(f.indices.data(), f.indices.size(), f.palette);
    std::printf("frame %d %016" PRIx64 " delay %d\n", static_cast<int>(i), hash, f.delay);
  }
  return 0;
}
