// A plain, independent plug-in with the eleven wave and drawing functions,
// for testing kroplay --check: built once as written (WAVE_OK, which must
// pass every check) and once per BROKEN_WAVE_* macro, each with one fault
// that a check must catch and name.
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <thread>

#include "kro_abi.h"

namespace {

const char *const kNames[KRO_IMPORT_COUNT] = {KRO_IMPORT_NAMES};
void *imported[KRO_IMPORT_COUNT];
enum { kStack = 0, kMem = 1, kBuffer = 5, kBackground = 6, kSp = 8, kWide = 9, kHeight = 10 };

struct Effect {
  int32_t active = 0;
  float speed = 0, frequency = 0;
  int32_t amplitude = 15;
  float phase = 0;
};
Effect ripple, distortion;

int32_t &sp() {
  return *static_cast<int32_t *>(imported[kSp]);
}
int32_t pop() {
  return static_cast<int32_t *>(imported[kStack])[sp()--];
}
void push(int32_t value) {
  static_cast<int32_t *>(imported[kStack])[++sp()] = value;
}
int32_t wide() {
#ifdef BROKEN_WAVE_WIDE_64
  // Reads 'wide' as a 64-bit value, byte by byte (volatile, so no load is
  // dropped; bytes, so no misaligned access).
  const volatile uint8_t *bytes = static_cast<const volatile uint8_t *>(imported[kWide]);
  uint64_t value = 0;
  for (int i = 0; i < 8; ++i) value |= static_cast<uint64_t>(bytes[i]) << (8 * i);
  return static_cast<int32_t>(value);
#else
  return *static_cast<int32_t *>(imported[kWide]);
#endif
}
int32_t height() {
  return *static_cast<int32_t *>(imported[kHeight]);
}
uint8_t *buffer() {
  return *static_cast<uint8_t **>(imported[kBuffer]);
}
#ifdef BROKEN_WAVE_STALE_BACKGROUND
uint8_t *kept_background;
uint8_t *background() {
  return kept_background;
}
#else
uint8_t *background() {
  return *static_cast<uint8_t **>(imported[kBackground]);
}
#endif
uint8_t colour(int32_t c) {
#ifdef BROKEN_WAVE_NO_COLOUR_CLAMP
  return static_cast<uint8_t>(c);
#endif
  return static_cast<uint8_t>(c > 255 ? 255 : c < 0 ? 0 : c);
}
size_t at(int64_t row, int64_t column) {
  return static_cast<size_t>(row * wide() + column);
}

void start(Effect &e) {
  e.amplitude = pop();
  e.frequency = static_cast<float>(static_cast<float>(pop()) * 0.01);
  e.speed = static_cast<float>(pop() * 0.01);
  e.phase = 0;
  e.active = 1;
}

int32_t change(Effect &e) {
  const int32_t selector = pop(), value = pop();
  const float scaled = static_cast<float>(value * static_cast<double>(0.01f));
  if (selector == 0) e.speed = scaled;
  if (selector == 1) e.frequency = scaled;
  if (selector == 2) e.amplitude = value;
  return selector >= 0 && selector <= 2;
}

// Displacements beyond 32 bits saturate.
int64_t truncated(double value) {
  if (value >= 2147483647.0) return 2147483647;
  if (value <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int64_t>(value);
}

void START_RIPPLE() {
  start(ripple);
  push(1);
}
void STOP_RIPPLE() {
  ripple.active = 0;
  push(0);
}
void START_DISTORT() {
  start(distortion);
#ifdef BROKEN_WAVE_START_RESULT
  push(1);
#else
  push(0);
#endif
}
void STOP_DISTORT() {
#ifdef BROKEN_WAVE_POPS_EXTRA
  pop();
#endif
#ifdef BROKEN_WAVE_HANGS
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));  // for ever, idle
#endif
  distortion.active = 0;
  push(0);
}
void CHANGE_RVAL() {
  push(change(ripple));
#ifdef BROKEN_WAVE_CHANGE_CLEARS_SLOT
  static_cast<int32_t *>(imported[kStack])[sp() + 1] = 0;  // the popped selector
#endif
}
void CHANGE_DVAL() {
  push(change(distortion));
}
void FILL() {
  const uint8_t c = colour(pop());
#ifdef BROKEN_WAVE_READS_UNUSED
  if (*static_cast<int32_t *>(imported[kMem]) != 0) return push(0);
#endif
  const size_t bytes = static_cast<size_t>(wide()) * static_cast<size_t>(height());
  if (bytes > 0) std::memset(background(), c, bytes);
#ifdef BROKEN_WAVE_FILL_DRAWS_FRAME
  if (bytes > 0) std::memset(buffer(), c, bytes);
#endif
  push(0);
}
void PUT_HLINE() {
  const uint8_t c = colour(pop());
  int32_t row = pop();
  if (wide() > 0 && height() > 0) {
    if (row >= height()) row = height() - 1;
    if (row < 0) row = 0;
    std::memset(background() + at(row, 0), c, static_cast<size_t>(wide()));
  }
  push(0);
}
void PUT_VLINE() {
  const uint8_t c = colour(pop());
  int32_t column = pop();
  if (wide() > 0) {
#ifdef BROKEN_WAVE_VLINE_OVERRUN
    if (column > wide()) column = wide();
#else
    if (column >= wide()) column = wide() - 1;
#endif
    if (column < 0) column = 0;
    for (int32_t r = 0; r < height(); ++r) background()[at(r, column)] = c;
  }
  push(0);
}
void HOW_WIDE() {
#ifdef BROKEN_WAVE_RAISES_FPE
  // Stands for a division by zero on an empty screen; raised directly so
  // that a sanitizer build, which would catch the division itself, sees
  // the same signal.
  if (wide() == 0) std::raise(SIGFPE);
#endif
  push(wide());
}
void HOW_HIGH() {
  push(height());
}

void compose() {
  const size_t bytes = static_cast<size_t>(wide()) * static_cast<size_t>(height());
  if (bytes > 0) std::memcpy(buffer(), background(), bytes);
  if (ripple.active == 1) {
    for (int32_t i = 0; i < height(); ++i) {
      int64_t d =
          truncated(i + ripple.amplitude *
                            std::sin(static_cast<double>(i) * ripple.frequency + ripple.phase));
      if (d >= height()) d = height() - 1;
#ifndef BROKEN_WAVE_RIPPLE_NO_LOWER_CLAMP
      if (d < 0) d = 0;
#endif
      std::memcpy(buffer() + at(i, 0), background() + at(d, 0), static_cast<size_t>(wide()));
    }
    ripple.phase = ripple.phase + ripple.speed;
  } else if (distortion.active == 1) {
    const int64_t w = wide();
    for (int32_t i = 0; i < height() && w > 0; ++i) {
      int64_t s =
          truncated(distortion.amplitude *
                    std::sin(static_cast<double>(i) * distortion.frequency + distortion.phase));
      if (s >= w) s = w - 1;
      if (s <= -w) s = 1 - w;
      const size_t shift = static_cast<size_t>(s < 0 ? -s : s),
                   rest = static_cast<size_t>(w) - shift;
      uint8_t *out = buffer() + at(i, 0);
      const uint8_t *in = background() + at(i, 0);
#if defined(BROKEN_WAVE_DISTORT_FILL)
      const int blank = 1;
#else
      const int blank = 0;
#endif
      if (s >= 0) {
        std::memmove(out + shift, in, rest);
#ifdef BROKEN_WAVE_HOOK_WRITES_BACKGROUND
        std::memset(background() + at(i, 0), blank, shift);
#else
        std::memset(out, blank, shift);
#endif
      } else {
        std::memmove(out, in + shift, rest);
        std::memset(out + rest, blank, shift);
      }
    }
    distortion.phase = distortion.phase + distortion.speed;
  }
#ifdef BROKEN_WAVE_HOOK_TOUCHES_STACK
  static_cast<int32_t *>(imported[kStack])[sp()] = 0;
#endif
}

}  // namespace

extern "C" {

KRO_EXPORT void krolibrary(kro_register_function register_function) {
  register_function("START_RIPPLE", START_RIPPLE, 3);
  register_function("STOP_RIPPLE", STOP_RIPPLE, 0);
  register_function("START_DISTORT", START_DISTORT, 3);
  register_function("STOP_DISTORT", STOP_DISTORT, 0);
  register_function("CHANGE_RVAL", CHANGE_RVAL, 2);
#ifdef BROKEN_WAVE_WRONG_COUNT
  register_function("CHANGE_DVAL", CHANGE_DVAL, 3);
#else
  register_function("CHANGE_DVAL", CHANGE_DVAL, 2);
#endif
  register_function("FILL", FILL, 1);
  register_function("PUT_HLINE", PUT_HLINE, 2);
  register_function("PUT_VLINE", PUT_VLINE, 2);
  register_function("HOW_WIDE", HOW_WIDE, 0);
  register_function("HOW_HIGH", HOW_HIGH, 0);
}

KRO_EXPORT void kromain(kro_import_object import_object, kro_export_object export_object) {
#ifdef BROKEN_WAVE_IMPORT_ORDER
  // "height" fetched before "wide": each still lands in its own slot.
  for (int i = 0; i < KRO_IMPORT_COUNT; ++i) {
    const int slot = i == kWide ? kHeight : i == kHeight ? kWide : i;
    imported[slot] = import_object(kNames[slot]);
  }
#else
  for (int i = 0; i < KRO_IMPORT_COUNT; ++i) imported[i] = import_object(kNames[i]);
#endif
#ifdef BROKEN_WAVE_STALE_BACKGROUND
  kept_background = *static_cast<uint8_t **>(imported[kBackground]);
#endif
  export_object(KRO_HOOK_BACKGROUND_TO_BUFFER, reinterpret_cast<void *>(compose));
}

KRO_EXPORT void kroend(kro_import_object import_object, kro_export_object) {
#ifdef BROKEN_WAVE_KROEND_IMPORTS
  import_object("stack");
#elif defined(BROKEN_WAVE_KROEND_STOPS)
  (void)import_object;
  ripple.active = 0;
#else
  (void)import_object;
#endif
}

}  // extern "C"
