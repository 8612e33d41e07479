#include "kroplay/preview/preview_window.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "kroplay/tuning/preview_keys.h"

namespace kroplay {
namespace {

constexpr const char *kNoDisplay =
    "cannot open a window: no display (set DISPLAY or WAYLAND_DISPLAY, or SDL_VIDEODRIVER)";

bool set(const char *variable) {
  const char *value = SDL_getenv(variable);
  return value != nullptr && value[0] != '\0';
}

[[noreturn]] void fail(const std::string &what) {
  throw DisplayError(what + ": " + SDL_GetError());
}

// The widest and highest window made when the display's usable area is
// unknown; X windows cannot be much larger.
constexpr int kMaxWindowSide = 16384;

// The display's usable area, for the window or the first display.
SDL_Rect usable_area(SDL_Window *window) {
  const int display = window != nullptr ? std::max(SDL_GetWindowDisplayIndex(window), 0) : 0;
  SDL_Rect bounds;
  if (SDL_GetDisplayUsableBounds(display, &bounds) != 0 || bounds.w < 1 || bounds.h < 1)
    bounds = {0, 0, kMaxWindowSide, kMaxWindowSide};
  return bounds;
}

int divided_up(int32_t a, int32_t b) {
  return static_cast<int>((a + b - 1) / b);
}

// The key table's row for a pressed key: the one for its modifier (Ctrl
// before Shift), else the key's plain row.
const PreviewKey *find_key(const SDL_Keysym &pressed) {
  const KeyModifier modifier = (pressed.mod & KMOD_CTRL) != 0    ? KeyModifier::kCtrl
                               : (pressed.mod & KMOD_SHIFT) != 0 ? KeyModifier::kShift
                                                                 : KeyModifier::kNone;
  const PreviewKey *plain = nullptr;
  for (const PreviewKey &key : preview_keys()) {
    if (SDL_GetKeyFromName(key.key) != pressed.sym) continue;
    if (key.modifier == modifier) return &key;
    if (key.modifier == KeyModifier::kNone) plain = &key;
  }
  return plain;
}

}  // namespace

PreviewWindow::PreviewWindow(int32_t width, int32_t height, int scale) : requested_scale_(scale) {
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  // Ctrl-C and the like keep kroplay's own handling.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("SDL_VIDEODRIVER"))
    throw DisplayError(kNoDisplay);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) fail("cannot open a window");
  // Without a display SDL falls back to drivers that show nothing; only
  // take one of those when asked for it by name (the tests do).
  const char *driver = SDL_GetCurrentVideoDriver();
  const char *asked = SDL_getenv("SDL_VIDEODRIVER");
  if (driver != nullptr &&
      (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0) &&
      (asked == nullptr || SDL_strcasecmp(asked, driver) != 0)) {
    SDL_Quit();
    throw DisplayError(kNoDisplay);
  }
  choose_scale(width, height);
  window_ = SDL_CreateWindow("kroplay", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             window_side(width), window_side(height), SDL_WINDOW_SHOWN);
  if (window_ == nullptr) {
    const std::string reason = SDL_GetError();
    SDL_Quit();
    throw DisplayError("cannot open a window: " + reason);
  }
  renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (renderer_ == nullptr) {
    const std::string reason = SDL_GetError();
    SDL_DestroyWindow(window_);
    SDL_Quit();
    throw DisplayError("cannot draw into the window: " + reason);
  }
  width_ = width;
  height_ = height;
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                               width, height);
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  SDL_RenderPresent(renderer_);
}

PreviewWindow::~PreviewWindow() {
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  SDL_DestroyRenderer(renderer_);
  SDL_DestroyWindow(window_);
  SDL_Quit();
}

void PreviewWindow::fit(int32_t width, int32_t height) {
  if (texture_ != nullptr && width == width_ && height == height_) return;
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  texture_ = nullptr;
  if (width != width_ || height != height_) {
    choose_scale(width, height);
    SDL_SetWindowSize(window_, window_side(width), window_side(height));
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    width_ = width;
    height_ = height;
  }
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                               width, height);
  if (texture_ == nullptr) fail("cannot make a texture for the frame");
}

void PreviewWindow::choose_scale(int32_t width, int32_t height) {
  const SDL_Rect area = usable_area(window_);
  const int fitting = std::min(area.w / width, area.h / height);
  scale_ = std::max(1, requested_scale_ > 0 ? std::min(requested_scale_, fitting) : fitting);
  shrink_ = fitting >= 1 ? 1 : std::max(divided_up(width, area.w), divided_up(height, area.h));
  if (shrink_ == 1 && (requested_scale_ == 0 || scale_ == requested_scale_)) return;
  const std::string asked =
      requested_scale_ > 0 ? " at --scale " + std::to_string(requested_scale_) : "";
  std::fprintf(stderr,
               "kroplay: the %dx%d screen%s would not fit the display (%dx%d); the window shows "
               "it at scale %s\n",
               width, height, asked.c_str(), area.w, area.h,
               (shrink_ > 1 ? "1/" + std::to_string(shrink_) : std::to_string(scale_)).c_str());
}

int32_t PreviewWindow::window_side(int32_t screen_side) const {
  return divided_up(screen_side * scale_, shrink_);
}

void PreviewWindow::show(const uint8_t *pixels, int32_t width, int32_t height,
                         const Palette &palette) {
  fit(width, height);
  for (int i = 0; i < kPaletteEntries; ++i)
    colours_[static_cast<size_t>(i)] = 0xff000000u | uint32_t{palette[3 * i]} << 16 |
                                       uint32_t{palette[3 * i + 1]} << 8 | palette[3 * i + 2];
  void *target = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(texture_, nullptr, &target, &pitch) != 0) fail("cannot draw the frame");
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t *from = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
    uint32_t *to = reinterpret_cast<uint32_t *>(
        static_cast<uint8_t *>(target) + static_cast<size_t>(y) * static_cast<size_t>(pitch));
    for (int32_t x = 0; x < width; ++x) to[x] = colours_[from[x]];
  }
  SDL_UnlockTexture(texture_);
  present();
}

void PreviewWindow::present() {
  SDL_RenderClear(renderer_);
  if (texture_ != nullptr) {
    const SDL_Rect area = {0, 0, window_side(width_), window_side(height_)};
    SDL_RenderCopy(renderer_, texture_, nullptr, &area);
  }
  SDL_RenderPresent(renderer_);
}

void PreviewWindow::set_title(const std::string &title) {
  SDL_SetWindowTitle(window_, title.c_str());
}

void PreviewWindow::copy_text(const std::string &text) {
  // Without a clipboard the text is lost; the session prints it as well.
  SDL_SetClipboardText(text.c_str());
}

bool PreviewWindow::next_action(int timeout_ms, PreviewAction &action) {
  SDL_Event event;
  // One wait at most; then whatever else is queued, until a request.
  bool waited = timeout_ms <= 0;
  for (;;) {
    const int got = waited ? SDL_PollEvent(&event) : SDL_WaitEventTimeout(&event, timeout_ms);
    waited = true;
    if (got == 0) return false;
    if (request(event, action)) return true;
  }
}

bool PreviewWindow::request(const SDL_Event &event, PreviewAction &action) {
  switch (event.type) {
    case SDL_QUIT:
      action = PreviewAction::kQuit;
      return true;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
        action = PreviewAction::kQuit;
        return true;
      }
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED) present();
      return false;
    case SDL_KEYDOWN:
      break;
    default:
      return false;
  }
  const PreviewKey *key = find_key(event.key.keysym);
  if (key == nullptr || (event.key.repeat != 0 && !key->repeats)) return false;
  action = key->action;
  return true;
}

}  // namespace kroplay
