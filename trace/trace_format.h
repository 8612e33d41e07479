// The layout of a .krotrace file, written by the tracing shim and read by
// kroplay --replay: one definition of every record, its writer beside its
// reader. docs/trace-format.md describes the same layout in words.
//
// A file is the magic, the version, then records until the end. Every
// record starts with its tag byte; every number is a fixed-width
// little-endian integer.
#ifndef WAVEFX_TRACE_FORMAT_H
#define WAVEFX_TRACE_FORMAT_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace krotrace {

constexpr char kMagic[8] = {'K', 'R', 'O', 'T', 'R', 'A', 'C', 'E'};
constexpr uint32_t kVersion = 1;
constexpr size_t kHeaderSize = sizeof kMagic + 4;

// The host's palette: 256 colours of red, green and blue bytes.
constexpr size_t kPaletteSize = 768;
// Registered names longer than this are cut (no real name comes near it).
constexpr size_t kMaxNameLength = 255;

enum Tag : uint8_t {
  kFunction = 1,    // a registered function; the n-th such record is function n
  kCall = 2,        // a call of a registered function
  kBackground = 3,  // the background, when it changed since the last one
  kPalette = 4,     // the palette, when it changed since the last one
  kFrame = 5,       // a run of the frame hook
};

// How a background or palette record's bytes are given.
enum Encoding : uint8_t {
  kRaw = 0,      // every byte
  kChanges = 1,  // pieces of (u32 bytes kept, u32 bytes given, the bytes)
                 // over the previous picture of the same size
};

// Appends little-endian fields to a byte buffer.
struct Writer {
  std::vector<uint8_t> &out;
  void u8(uint8_t v) { out.push_back(v); }
  void u16(uint16_t v) { little(v, 2); }
  void u32(uint32_t v) { little(v, 4); }
  void i32(int32_t v) { little(static_cast<uint32_t>(v), 4); }
  void u64(uint64_t v) { little(v, 8); }
  void bytes(const uint8_t *data, size_t count) { out.insert(out.end(), data, data + count); }
  void little(uint64_t v, int count) {
    for (int i = 0; i < count; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
};

// Takes little-endian fields from a byte range; every take fails, once
// the range is short, without reading past its end.
struct Reader {
  const uint8_t *at;
  const uint8_t *end;
  size_t left() const { return static_cast<size_t>(end - at); }
  bool little(uint64_t &v, int count) {
    if (left() < static_cast<size_t>(count)) return false;
    v = 0;
    for (int i = 0; i < count; ++i) v |= uint64_t{at[i]} << (8 * i);
    at += count;
    return true;
  }
  template <typename T>
  bool take(T &v) {
    uint64_t raw = 0;
    if (!little(raw, sizeof(T))) return false;
    v = static_cast<T>(raw);
    return true;
  }
  bool bytes(const uint8_t *&data, size_t count) {
    if (left() < count) return false;
    data = at;
    at += count;
    return true;
  }
};

inline void write_header(Writer w) {
  w.bytes(reinterpret_cast<const uint8_t *>(kMagic), sizeof kMagic);
  w.u32(kVersion);
}
// "" when the header is good, else what is wrong with it.
inline const char *read_header(Reader &r) {
  const uint8_t *magic = nullptr;
  uint32_t version = 0;
  if (!r.bytes(magic, sizeof kMagic) || std::memcmp(magic, kMagic, sizeof kMagic) != 0)
    return "not a wavefx trace (no KROTRACE at its start)";
  if (!r.take(version)) return "truncated in its header";
  if (version != kVersion) return "a trace of another version";
  return "";
}

// kFunction: u8 parameter count, u8 name length, the name's bytes.
struct FunctionRecord {
  uint8_t parameter_count = 0;
  const uint8_t *name = nullptr;
  uint8_t name_length = 0;
  void write(Writer w) const {
    w.u8(kFunction);
    w.u8(parameter_count);
    w.u8(name_length);
    w.bytes(name, name_length);
  }
  bool read(Reader &r) {
    return r.take(parameter_count) && r.take(name_length) && r.bytes(name, name_length);
  }
};

// kCall: u16 function number, its parameter count of i32 arguments (first
// to last), the i32 result.
struct CallRecord {
  uint16_t function = 0;
  int32_t arguments[255] = {};
  int32_t result = 0;
  void write(Writer w, int count) const {
    w.u8(kCall);
    w.u16(function);
    for (int i = 0; i < count; ++i) w.i32(arguments[i]);
    w.i32(result);
  }
  // `count` is the parameter count of the function named by a u16 just read:
  // the caller looks it up between the two steps.
  bool read_function(Reader &r) { return r.take(function); }
  bool read_values(Reader &r, int count) {
    for (int i = 0; i < count; ++i)
      if (!r.take(arguments[i])) return false;
    return r.take(result);
  }
};

// kBackground: i32 width, i32 height, then a picture (below).
// kPalette: a picture of kPaletteSize bytes.
// A picture: u8 encoding, u32 byte count, the bytes.
struct PictureRecord {
  uint8_t encoding = kRaw;
  uint32_t size = 0;
  const uint8_t *data = nullptr;
  bool read(Reader &r) { return r.take(encoding) && r.take(size) && r.bytes(data, size); }
};

inline void write_screen_size(Writer w, int32_t width, int32_t height) {
  w.i32(width);
  w.i32(height);
}
inline bool read_screen_size(Reader &r, int32_t &width, int32_t &height) {
  return r.take(width) && r.take(height);
}

// A picture's record body: the changes from `previous` when there is one
// of the same size and they are smaller, else every byte of `now`.
inline void write_picture(Writer w, const uint8_t *now, const uint8_t *previous, size_t size) {
  if (previous != nullptr) {
    const size_t start = w.out.size();
    w.u8(kChanges);
    w.u32(0);
    size_t i = 0;
    bool smaller = true;
    while (i < size && (smaller = w.out.size() - start < size)) {
      size_t kept = i;
      while (kept < size && now[kept] == previous[kept]) ++kept;
      if (kept == size) break;
      size_t given = kept;
      // A piece ends at 8 unchanged bytes: shorter gaps cost less inside it.
      for (size_t same = 0; given < size && same < 8; ++given)
        same = now[given] == previous[given] ? same + 1 : 0;
      while (given > kept && now[given - 1] == previous[given - 1]) --given;
      w.u32(static_cast<uint32_t>(kept - i));
      w.u32(static_cast<uint32_t>(given - kept));
      w.bytes(now + kept, given - kept);
      i = given;
    }
    const size_t body = w.out.size() - start - 5;
    if (smaller && body < size) {
      for (int b = 0; b < 4; ++b) w.out[start + 1 + b] = static_cast<uint8_t>(body >> (8 * b));
      return;
    }
    w.out.resize(start);
  }
  w.u8(kRaw);
  w.u32(static_cast<uint32_t>(size));
  w.bytes(now, size);
}

// Applies a picture record to `picture` (`size` bytes, holding the
// previous picture for kChanges). "" on success, else what is wrong.
inline const char *apply_picture(const PictureRecord &p, uint8_t *picture, size_t size,
                                 bool have_previous) {
  if (p.encoding == kRaw) {
    if (p.size != size) return "a picture whose byte count is not its size";
    if (size != 0) std::memcpy(picture, p.data, size);
    return "";
  }
  if (p.encoding != kChanges) return "a picture of an unknown encoding";
  if (!have_previous) return "changes to a picture never given whole";
  Reader r{p.data, p.data + p.size};
  size_t at = 0;
  while (r.left() != 0) {
    uint32_t kept = 0, given = 0;
    const uint8_t *bytes = nullptr;
    if (!r.take(kept) || !r.take(given) || !r.bytes(bytes, given)) return "a torn picture change";
    if (kept > size - at || given > size - at - kept) return "a picture change past its end";
    at += kept;
    if (given != 0) std::memcpy(picture + at, bytes, given);
    at += given;
  }
  return "";
}

// kFrame: i32 width, i32 height, u64 frame_hash of the composed frame.
struct FrameRecord {
  int32_t width = 0, height = 0;
  uint64_t hash = 0;
  void write(Writer w) const {
    w.u8(kFrame);
    write_screen_size(w, width, height);
    w.u64(hash);
  }
  bool read(Reader &r) { return read_screen_size(r, width, height) && r.take(hash); }
};

// The composed frame's fingerprint: FNV-1a 64 in four lanes, lane k over
// the little-endian 8-byte words k, k + 4, k + 8, ... of each whole 32-byte
// block; lane 0 then goes on over the bytes left, one by one; the result is
// FNV-1a 64 over the four lanes' values as little-endian words. Four
// independent multiplies per 32 pixels keep it near the speed of a copy.
inline uint64_t frame_hash(const uint8_t *pixels, size_t count) {
  constexpr uint64_t kPrime = 1099511628211ull;
  constexpr uint64_t kBasis = 14695981039346656037ull;
  uint64_t lane[4] = {kBasis, kBasis, kBasis, kBasis};
  const auto word_at = [](const uint8_t *at) {
    uint64_t word = 0;
    std::memcpy(&word, at, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    word = __builtin_bswap64(word);
#endif
    return word;
  };
  size_t i = 0;
  for (; i + 32 <= count; i += 32)
    for (int k = 0; k < 4; ++k) lane[k] = (lane[k] ^ word_at(pixels + i + 8 * k)) * kPrime;
  for (; i < count; ++i) lane[0] = (lane[0] ^ pixels[i]) * kPrime;
  uint64_t hash = kBasis;
  for (uint64_t value : lane) hash = (hash ^ value) * kPrime;
  return hash;
}

}  // namespace krotrace

#endif  // WAVEFX_TRACE_FORMAT_H
