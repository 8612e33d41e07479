#include "kroplay/base/palettes.h"

#include <algorithm>

namespace kroplay {
namespace {

void set(Palette &p, int i, int r, int g, int b) {
  p[3 * i] = static_cast<uint8_t>(r);
  p[3 * i + 1] = static_cast<uint8_t>(g);
  p[3 * i + 2] = static_cast<uint8_t>(b);
}

// Linear ramps through `stops` (RGB), spread evenly over the 256 entries.
Palette ramp(const std::vector<std::array<int, 3>> &stops) {
  Palette p{};
  const int segments = static_cast<int>(stops.size()) - 1;
  for (int i = 0; i < kPaletteEntries; ++i) {
    const int position = i * segments;  // in 255ths of a segment
    const int s = std::min(position / 255, segments - 1);
    const int t = position - s * 255;
    int rgb[3];
    for (int c = 0; c < 3; ++c)
      rgb[c] = (stops[s][c] * (255 - t) + stops[s + 1][c] * t + 127) / 255;
    set(p, i, rgb[0], rgb[1], rgb[2]);
  }
  return p;
}

// Fully saturated hues around the colour wheel, in integer arithmetic.
Palette rainbow() {
  Palette p{};
  for (int i = 0; i < kPaletteEntries; ++i) {
    const int h = i * 6;  // 0 .. 1530: six sectors of 256
    const int sector = h / 256, f = h % 256;
    const int up = f, down = 255 - f;
    const int table[6][3] = {{255, up, 0},   {down, 255, 0}, {0, 255, up},
                             {0, down, 255}, {up, 0, 255},   {255, 0, down}};
    set(p, i, table[sector][0], table[sector][1], table[sector][2]);
  }
  return p;
}

}  // namespace

const std::vector<std::string> &palette_names() {
  static const std::vector<std::string> names = {"default", "grey", "fire", "ocean", "rainbow"};
  return names;
}

Palette default_palette() {
  Palette p{};
  const int system[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                             {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                             {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                             {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  for (int i = 0; i < 16; ++i) set(p, i, system[i][0], system[i][1], system[i][2]);
  const int level[6] = {0, 95, 135, 175, 215, 255};
  for (int i = 16; i < 232; ++i) {
    const int c = i - 16;
    set(p, i, level[c / 36], level[c / 6 % 6], level[c % 6]);
  }
  for (int i = 232; i < 256; ++i) {
    const int v = 8 + 10 * (i - 232);
    set(p, i, v, v, v);
  }
  return p;
}

bool builtin_palette(const std::string &name, Palette &out) {
  if (name == "default") {
    out = default_palette();
  } else if (name == "grey") {
    out = ramp({{0, 0, 0}, {255, 255, 255}});
  } else if (name == "fire") {
    out = ramp({{0, 0, 0}, {255, 0, 0}, {255, 255, 0}, {255, 255, 255}});
  } else if (name == "ocean") {
    out = ramp({{0, 0, 0}, {0, 0, 255}, {0, 255, 255}, {255, 255, 255}});
  } else if (name == "rainbow") {
    out = rainbow();
  } else {
    return false;
  }
  return true;
}

}  // namespace kroplay
