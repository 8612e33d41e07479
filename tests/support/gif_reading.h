// Reads a GIF back with giflib's DGifSlurp and composes every frame the way
// a viewer shows it, so tests can check what a user would see.
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
  std::vector<uint8_t> indices;        // the whole screen after this frame
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

#endif  // WAVEFX_TESTS_PLAYER_GIF_READING_H
