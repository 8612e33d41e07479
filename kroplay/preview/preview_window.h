// The live preview's SDL window: the screen scaled by a whole factor (or
// shrunk by one, when it is larger than the display), each
// frame expanded through the palette into a streaming ARGB texture (SDL
// converts no 8-bit indexed pixels), keys turned into preview requests, the
// clipboard.
#ifndef KROPLAY_PREVIEW_WINDOW_H
#define KROPLAY_PREVIEW_WINDOW_H

#include <array>
#include <cstdint>

#include "kroplay/preview/preview_display.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

namespace kroplay {

class PreviewWindow : public PreviewDisplay {
 public:
  // A window for a `width` x `height` screen, `scale` window pixels per
  // screen pixel (0: the largest factor that fits the display's usable
  // area). A window that would not fit that area gets the largest scale
  // that fits, a fraction 1/n when the screen itself is larger, and says so
  // on stderr. Throws DisplayError.
  PreviewWindow(int32_t width, int32_t height, int scale);
  ~PreviewWindow() override;
  PreviewWindow(const PreviewWindow &) = delete;
  PreviewWindow &operator=(const PreviewWindow &) = delete;

  void show(const uint8_t *pixels, int32_t width, int32_t height, const Palette &palette) override;
  void set_title(const std::string &title) override;
  void copy_text(const std::string &text) override;
  bool next_action(int timeout_ms, PreviewAction &action) override;

  // Window pixels per screen pixel: scale() / shrink(), one of them 1.
  int scale() const { return scale_; }
  int shrink() const { return shrink_; }

 private:
  // Makes the window and texture fit a `width` x `height` screen.
  void fit(int32_t width, int32_t height);
  // Sets scale_ and shrink_ for a `width` x `height` screen.
  void choose_scale(int32_t width, int32_t height);
  // The window's width or height for a screen's.
  int32_t window_side(int32_t screen_side) const;
  void present();
  // The request an event makes, if any.
  bool request(const SDL_Event &event, PreviewAction &action);

  int requested_scale_;
  int scale_ = 1;
  int shrink_ = 1;
  int32_t width_ = 0, height_ = 0;
  SDL_Window *window_ = nullptr;
  SDL_Renderer *renderer_ = nullptr;
  SDL_Texture *texture_ = nullptr;
  std::array<uint32_t, kPaletteEntries> colours_{};
};

}  // namespace kroplay

#endif  // KROPLAY_PREVIEW_WINDOW_H
