// Whether a sprite shows its own colours. A picture drawn as a sprite keeps
// its palette indices and shows them in the screen's palette, as an 8-bit
// game does; where the palette's colours differ from the picture's own
// colour table, the sprite looks other than in a paint program, and the
// script's author hears of it once.
#ifndef KROPLAY_SPRITE_COLOURS_H
#define KROPLAY_SPRITE_COLOURS_H

#include <bitset>
#include <string>

#include "kroplay/base/palettes.h"
#include "kroplay/base/picture.h"

namespace kroplay {

class SpriteColours {
 public:
  // `name` is the picture's file name as the script gave it.
  SpriteColours(std::string name, const Picture &picture);

  // A one-line note naming the first few indices the picture uses (its
  // transparent one aside) whose colour in `palette` differs from its own
  // table, with both colours and the way out; empty when none differs, and
  // after the note was given once.
  std::string note_once(const Palette &palette);

 private:
  std::string name_;
  Palette own_{};
  std::bitset<kPaletteEntries> compared_;  // used by the picture and in its table
  bool noted_ = false;
};

}  // namespace kroplay

#endif  // KROPLAY_SPRITE_COLOURS_H
