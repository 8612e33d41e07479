// Reads a GIF back with giflib's DGifSlurp and plays it the way a viewer
// does (each frame drawn over the screen but for its transparent pixels, then
// disposed of as its control block says), so tests can check what a user
// would see at every moment.
#ifndef WAVEFX_TESTS_PLAYER_GIF_READING_H
#define WAVEFX_TESTS_PLAYER_GIF_READING_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct ReadFrame {
  int left = 0, top = 0, width = 0, height = 0;  // the stored sub-image
  bool own_colour_table = false;
  int delay = -1;                      // hundredths of a second; -1 without a control block
  int disposal = -1;                   // giflib's DISPOSE_* value
  int transparent = -1;                // the transparent index; -1: none
  int transparent_pixels = 0;          // pixels of the sub-image that are transparent
  int code_size = 0;                   // the LZW minimum code size
  std::vector<uint8_t> indices;        // the whole screen while this frame shows
  std::vector<uint8_t> rgb;            // the same, as colours
  std::array<uint8_t, 768> palette{};  // the table this frame's pixels use
};

struct ReadGif {
  std::string version;  // "GIF87a" or "GIF89a"
  int width = 0, height = 0;
  int global_colours = 0;
  bool loops_forever = false;
  std::array<uint8_t, 768> global_palette{};
  std::vector<ReadFrame> frames;
};

// Empty on success, else what went wrong.
std::string read_gif(const std::string &path, ReadGif &gif);

// Writes a one-frame GIF straight through giflib, with `pixels` and
// `palette` as they are (the 256-entry global table). Empty on success,
// else what went wrong.
std::string write_plain_gif(const std::string &path, const std::vector<uint8_t> &pixels, int width,
                            int height, const std::array<uint8_t, 768> &palette);

// A frame as the writer was given it.
struct ShownFrame {
  const std::vector<uint8_t> *pixels;  // width x height palette indices
  int width, height;
  const std::array<uint8_t, 768> *palette;
};

// Compares what `gif` shows at every hundredth of a second with `frames`,
// each shown for `delay` hundredths, over the top left of the screen each
// frame covers, and the total running time. Empty when they agree, else the
// first difference.
std::string compare_playback(const ReadGif &gif, const std::vector<ShownFrame> &frames, int delay);

#endif  // WAVEFX_TESTS_PLAYER_GIF_READING_H
