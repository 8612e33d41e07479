// The SDL window on SDL's dummy video driver (no display needed): keys
// become the preview's requests, and frames reach the window scaled,
// through the palette.
#include "kroplay/preview/preview_window.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <vector>

namespace {

using kroplay::Palette;
using kroplay::PreviewAction;
using kroplay::PreviewWindow;

class PreviewWindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "dummy", 1); }

  static void press(SDL_Keycode key, bool repeat = false, Uint16 modifiers = KMOD_NONE) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    event.key.keysym.mod = modifiers;
    event.key.repeat = repeat ? 1 : 0;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }
};

TEST_F(PreviewWindowTest, KeysBecomeRequests) {
  PreviewWindow window(8, 4, 2);
  PreviewAction action;
  while (window.next_action(0, action)) {
  }  // whatever SDL queued on opening
  const std::pair<SDL_Keycode, PreviewAction> keys[] = {{SDLK_SPACE, PreviewAction::kTogglePause},
                                                        {SDLK_RIGHT, PreviewAction::kStep},
                                                        {SDLK_r, PreviewAction::kRestart},
                                                        {SDLK_s, PreviewAction::kSave},
                                                        {SDLK_q, PreviewAction::kQuit},
                                                        {SDLK_ESCAPE, PreviewAction::kQuit}};
  for (const auto &key : keys) {
    press(key.first);
    ASSERT_TRUE(window.next_action(100, action)) << SDL_GetKeyName(key.first);
    EXPECT_EQ(action, key.second) << SDL_GetKeyName(key.first);
  }
  // The tuning keys; held arrows keep changing.
  const struct {
    SDL_Keycode key;
    Uint16 modifiers;
    bool repeat;
    PreviewAction action;
  } tuning[] = {{SDLK_1, KMOD_NONE, false, PreviewAction::kPickSpeed},
                {SDLK_2, KMOD_NONE, false, PreviewAction::kPickFrequency},
                {SDLK_3, KMOD_NONE, false, PreviewAction::kPickAmplitude},
                {SDLK_TAB, KMOD_NONE, false, PreviewAction::kNextParameter},
                {SDLK_UP, KMOD_NONE, true, PreviewAction::kUp},
                {SDLK_DOWN, KMOD_NONE, false, PreviewAction::kDown},
                {SDLK_UP, KMOD_LSHIFT, false, PreviewAction::kUpTen},
                {SDLK_DOWN, KMOD_RSHIFT, true, PreviewAction::kDownTen},
                {SDLK_UP, KMOD_LCTRL, false, PreviewAction::kDouble},
                {SDLK_DOWN, KMOD_RCTRL | KMOD_LSHIFT, false, PreviewAction::kHalve},
                {SDLK_r, KMOD_LSHIFT, false, PreviewAction::kRestart},  // the plain key's
                {SDLK_e, KMOD_NONE, false, PreviewAction::kSwitchEffect},
                {SDLK_c, KMOD_NONE, false, PreviewAction::kCopyCall},
                {SDLK_h, KMOD_NONE, false, PreviewAction::kToggleKeys},
                {SDLK_F1, KMOD_NONE, false, PreviewAction::kToggleKeys}};
  for (const auto &key : tuning) {
    press(key.key, key.repeat, key.modifiers);
    ASSERT_TRUE(window.next_action(100, action)) << SDL_GetKeyName(key.key);
    EXPECT_EQ(action, key.action) << SDL_GetKeyName(key.key) << " " << key.modifiers;
  }
  // A held right arrow keeps stepping; other held keys act once.
  press(SDLK_RIGHT, true);
  ASSERT_TRUE(window.next_action(100, action));
  EXPECT_EQ(action, PreviewAction::kStep);
  press(SDLK_r, true);
  press(SDLK_x);
  EXPECT_FALSE(window.next_action(0, action));
  EXPECT_FALSE(window.next_action(0, action));
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  ASSERT_TRUE(window.next_action(100, action));
  EXPECT_EQ(action, PreviewAction::kQuit);
}

TEST_F(PreviewWindowTest, ShowsTheFrameThroughThePaletteScaled) {
  const int scale = 3;
  PreviewWindow window(4, 2, scale);
  EXPECT_EQ(window.scale(), scale);
  Palette palette{};
  for (int i = 0; i < 256; ++i) {
    palette[3 * i] = static_cast<uint8_t>(i);
    palette[3 * i + 1] = static_cast<uint8_t>(255 - i);
    palette[3 * i + 2] = static_cast<uint8_t>(i * 7);
  }
  // Sizes change: the first frame is smaller than the window was made for.
  const std::vector<uint8_t> small = {9, 9, 9, 9};
  window.show(small.data(), 2, 2, palette);
  const std::vector<uint8_t> pixels = {0, 1, 2, 3, 200, 201, 254, 255};
  window.show(pixels.data(), 4, 2, palette);

  SDL_Window *sdl_window = SDL_GetWindowFromID(1);
  ASSERT_NE(sdl_window, nullptr);
  int w = 0, h = 0;
  SDL_GetWindowSize(sdl_window, &w, &h);
  ASSERT_EQ(w, 4 * scale);
  ASSERT_EQ(h, 2 * scale);
  // The window's surface holds the presented frame (dummy driver).
  SDL_Surface *surface = SDL_GetWindowSurface(sdl_window);
  ASSERT_NE(surface, nullptr);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t value = *reinterpret_cast<const uint32_t *>(
          static_cast<const uint8_t *>(surface->pixels) + y * surface->pitch + 4 * x);
      uint8_t r, g, b;
      SDL_GetRGB(value, surface->format, &r, &g, &b);
      const uint8_t index = pixels[static_cast<size_t>(y / scale * 4 + x / scale)];
      ASSERT_EQ(r, palette[3 * index]) << x << "," << y;
      ASSERT_EQ(g, palette[3 * index + 1]) << x << "," << y;
      ASSERT_EQ(b, palette[3 * index + 2]) << x << "," << y;
    }
}

TEST_F(PreviewWindowTest, AWindowTooLargeForTheDisplayIsScaledToFitIt) {
  // 65536x4 at --scale 4, beyond what a display (or X) allows: shrunk to fit.
  PreviewWindow window(16384, 1, 4);
  SDL_Rect area;
  ASSERT_EQ(SDL_GetDisplayUsableBounds(0, &area), 0) << SDL_GetError();
  EXPECT_EQ(window.scale(), 1);
  EXPECT_EQ(window.shrink(), (16384 + area.w - 1) / area.w);
  int w = 0, h = 0;
  SDL_GetWindowSize(SDL_GetWindowFromID(1), &w, &h);
  EXPECT_LE(w, area.w);
  EXPECT_EQ(h, 1);
  // A screen() that fits again: the largest scale that fits, up to --scale.
  const std::vector<uint8_t> pixels(static_cast<size_t>(area.w / 2), 7);
  window.show(pixels.data(), area.w / 2, 1, Palette{});
  EXPECT_EQ(window.scale(), 2);
  EXPECT_EQ(window.shrink(), 1);
}

}  // namespace
