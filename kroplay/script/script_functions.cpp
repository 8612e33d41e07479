// kroplay's own script functions (frame, screen, colours, pictures and the
// drawings over the frame), in one table.
#include <algorithm>
#include <cstring>

#include "kroplay/base/quoted.h"
#include "kroplay/base/screen_limits.h"
#include "kroplay/host/host_runtime.h"
#include "kroplay/overlay/pixel_font.h"
#include "kroplay/picture/picture_file.h"
#include "kroplay/script/lua_arguments.h"
#include "kroplay/script/script_bindings.h"

namespace kroplay {
namespace {

// The colour argument of the drawing functions.
uint8_t colour(lua_State *lua, const char *name, int index) {
  return static_cast<uint8_t>(integer_argument_in(lua, name, index, 0, 255));
}

}  // namespace

const luaL_Reg ScriptApi::Bindings::kHostFunctions[] = {{"frame", frame},
                                                        {"screen", screen},
                                                        {"color", color},
                                                        {"palette", palette},
                                                        {"load_background", load_background},
                                                        {"pixel", pixel},
                                                        {"background_pixel", background_pixel},
                                                        {"load_picture", load_picture},
                                                        {"sprite", sprite},
                                                        {"rect", rect},
                                                        {"text", text},
                                                        {nullptr, nullptr}};

const std::vector<std::string> &ScriptApi::host_function_names() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all;
    for (const luaL_Reg *f = Bindings::kHostFunctions; f->name != nullptr; ++f)
      all.emplace_back(f->name);
    return all;
  }();
  return names;
}

int ScriptApi::Bindings::frame(lua_State *lua) {
  ScriptApi &api = enter(lua, "frame");
  check_argument_count(lua, "frame", 0, 1);
  const int32_t n = lua_gettop(lua) == 0 ? 1 : integer_argument_in(lua, "frame", 1, 0, INT32_MAX);
  const bool ok = api.guard([&] {
    try {
      for (int32_t i = 0; i < n; ++i) {
        api.compose_frame();
        api.sink_.frame_composed(api.runtime_);
      }
    } catch (const EndOfRun &) {
      api.stopped_ = true;
    }
  });
  // The drawings were for this call's frames only, as a game draws its
  // sprites anew each frame.
  api.overlay_.clear();
  if (!ok) return raise_fatal(lua, api);
  return api.stopped_ ? stop(lua, api) : 0;
}

int ScriptApi::Bindings::screen(lua_State *lua) {
  ScriptApi &api = enter(lua, "screen");
  check_argument_count(lua, "screen", 2, 2);
  const int32_t w = integer_argument(lua, "screen", 1), h = integer_argument(lua, "screen", 2);
  if (!valid_screen_size(w, h))
    return luaL_error(lua, "screen: %dx%d is out of range (each side 1..%d, at most %I pixels)", w,
                      h, kMaxScreenSide, static_cast<LUAI_UACINT>(kMaxScreenPixels));
  return api.guard([&] { api.runtime_.resize(w, h); }) ? 0 : raise_fatal(lua, api);
}

int ScriptApi::Bindings::color(lua_State *lua) {
  ScriptApi &api = enter(lua, "color");
  check_argument_count(lua, "color", 4, 4);
  // Every argument is checked before the entry changes: a refused call
  // changes nothing.
  int32_t values[4];
  for (int n = 0; n < 4; ++n) values[n] = integer_argument_in(lua, "color", n + 1, 0, 255);
  for (int c = 0; c < 3; ++c)
    api.runtime_.palette()[static_cast<size_t>(3 * values[0] + c)] =
        static_cast<uint8_t>(values[1 + c]);
  return 0;
}

int ScriptApi::Bindings::palette(lua_State *lua) {
  ScriptApi &api = enter(lua, "palette");
  check_argument_count(lua, "palette", 1, 1);
  const char *name = string_argument(lua, "palette", 1, "a palette name");
  if (!api.pick_palette(name)) return luaL_error(lua, "palette: %s", api.error_message_.c_str());
  return 0;
}

int ScriptApi::Bindings::load_background(lua_State *lua) {
  ScriptApi &api = enter(lua, "load_background");
  check_argument_count(lua, "load_background", 1, 1);
  const char *path = string_argument(lua, "load_background", 1, "a file name");
  if (!api.load_background(path))
    return luaL_error(lua, "load_background: %s", api.error_message_.c_str());
  return 0;
}

int ScriptApi::Bindings::read_pixel(lua_State *lua, const char *name, bool background) {
  ScriptApi &api = enter(lua, name);
  check_argument_count(lua, name, 2, 2);
  const int32_t x = integer_argument(lua, name, 1), y = integer_argument(lua, name, 2);
  const int32_t w = api.runtime_.width(), h = api.runtime_.height();
  if (x < 0 || y < 0 || x >= w || y >= h)
    return luaL_error(lua, "%s: (%d, %d) is outside the %dx%d screen", name, x, y, w, h);
  const uint8_t *bitmap = background ? api.runtime_.background() : api.runtime_.frame();
  lua_pushinteger(lua,
                  bitmap[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)]);
  return 1;
}

int ScriptApi::Bindings::pixel(lua_State *lua) {
  return read_pixel(lua, "pixel", false);
}

int ScriptApi::Bindings::background_pixel(lua_State *lua) {
  return read_pixel(lua, "background_pixel", true);
}

// [-0, +1] load_picture(path [, take_colours]): a picture object, whose
// pixels kroplay keeps; the script sees only its width and height.
int ScriptApi::Bindings::load_picture(lua_State *lua) {
  ScriptApi &api = enter(lua, "load_picture");
  check_argument_count(lua, "load_picture", 1, 2);
  const char *path = string_argument(lua, "load_picture", 1, "a file name");
  if (!lua_isnoneornil(lua, 2) && !lua_isboolean(lua, 2))
    return luaL_error(lua, "load_picture: argument 2 must be true or false, got %s",
                      luaL_typename(lua, 2));
  const bool take_colours = lua_toboolean(lua, 2);
  void *object = lua_newuserdatauv(lua, sizeof(uint64_t), 0);
  uint64_t serial = 0;
  size_t bytes = 0;
  if (!api.load_picture(path, take_colours, serial, bytes)) {
    if (api.fatal_) return raise_fatal(lua, api);
    return luaL_error(lua, "load_picture: %s", api.error_message_.c_str());
  }
  PictureHandles::make_object(lua, object, serial);
  // Lua does not see the pixels' memory: a collection step as if they
  // were its own, so that dropped pictures do not pile up.
  lua_gc(lua, LUA_GCSTEP, static_cast<int>(bytes >> 10));
  return 1;
}

// [-0, +0] sprite(picture, x, y), for the next frame() call.
int ScriptApi::Bindings::sprite(lua_State *lua) {
  ScriptApi &api = enter(lua, "sprite");
  check_argument_count(lua, "sprite", 3, 3);
  const std::shared_ptr<const Picture> *picture = api.pictures_.at(lua, 1);
  if (picture == nullptr)
    return luaL_error(lua, "sprite: argument 1 must be a picture from load_picture, got %s",
                      luaL_typename(lua, 1));
  const int32_t x = integer_argument(lua, "sprite", 2), y = integer_argument(lua, "sprite", 3);
  if (!api.overlay_.add_sprite(*picture, x, y))
    return luaL_error(lua, "sprite: %s", api.overlay_.refusal().c_str());
  const std::string note = api.pictures_.colours_at(lua, 1)->note_once(api.runtime_.palette());
  if (!note.empty()) api.print_.note(note);
  return 0;
}

// [-0, +0] rect(x, y, w, h, colour), for the next frame() call.
int ScriptApi::Bindings::rect(lua_State *lua) {
  ScriptApi &api = enter(lua, "rect");
  check_argument_count(lua, "rect", 5, 5);
  const int32_t x = integer_argument(lua, "rect", 1), y = integer_argument(lua, "rect", 2);
  const int32_t w = integer_argument_in(lua, "rect", 3, 0, INT32_MAX);
  const int32_t h = integer_argument_in(lua, "rect", 4, 0, INT32_MAX);
  if (!api.overlay_.add_rect(x, y, w, h, colour(lua, "rect", 5)))
    return luaL_error(lua, "rect: %s", api.overlay_.refusal().c_str());
  return 0;
}

// [-0, +0] text(x, y, string, colour), for the next frame() call.
int ScriptApi::Bindings::text(lua_State *lua) {
  ScriptApi &api = enter(lua, "text");
  check_argument_count(lua, "text", 4, 4);
  const int32_t x = integer_argument(lua, "text", 1), y = integer_argument(lua, "text", 2);
  if (lua_type(lua, 3) != LUA_TSTRING)
    return luaL_error(lua, "text: argument 3 must be a string, got %s", luaL_typename(lua, 3));
  size_t length = 0;
  const char *chars = lua_tolstring(lua, 3, &length);
  for (size_t i = 0; i < length; ++i)
    if (chars[i] != '\n' && !has_glyph(chars[i]))
      return luaL_error(lua,
                        "text: argument 3 has byte %d at position %I, which the font lacks "
                        "(it has ASCII 32 to 126; \\n starts a new line)",
                        static_cast<int>(static_cast<unsigned char>(chars[i])),
                        static_cast<lua_Integer>(i + 1));
  if (!api.overlay_.add_text(x, y, std::string_view(chars, length), colour(lua, "text", 4)))
    return luaL_error(lua, "text: %s", api.overlay_.refusal().c_str());
  return 0;
}

bool ScriptApi::pick_palette(const char *name) {
  if (builtin_palette(name, runtime_.palette())) return true;
  error_message_ = "no built-in palette " + quoted(name) + " (there are";
  for (const std::string &known : palette_names()) error_message_ += " " + known;
  error_message_ += ")";
  return false;
}

bool ScriptApi::load_background(const char *path) {
  if (!note_file(path, base_folder_)) return false;
  try {
    const LoadedBackground loaded =
        load_background_picture(path, runtime_.width(), runtime_.height(), base_folder_);
    std::copy(loaded.pixels.begin(), loaded.pixels.end(), runtime_.background());
    std::copy(loaded.colours.begin(), loaded.colours.end(), runtime_.palette().begin());
    return true;
  } catch (const std::exception &e) {
    error_message_ = e.what();
    return false;
  }
}

bool ScriptApi::load_picture(const char *path, bool take_colours, uint64_t &serial, size_t &bytes) {
  if (!note_file(path, base_folder_)) return false;
  try {
    auto picture = std::make_shared<const Picture>(read_picture(path, base_folder_));
    bytes = picture->pixels.size();
    if (take_colours)
      std::copy(picture->colours.begin(), picture->colours.end(), runtime_.palette().begin());
    SpriteColours colours(path, *picture);
    serial = pictures_.add(std::move(picture), std::move(colours));
    return true;
  } catch (const std::exception &e) {
    error_message_ = e.what();
    return false;
  }
}

}  // namespace kroplay
