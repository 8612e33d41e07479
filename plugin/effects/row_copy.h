// Short copies and clears of frame rows without a library call per row, in
// the widest vectors the translation unit is built for (16 bytes with SSE2,
// 32 with AVX2).
#ifndef WAVEFX_ROW_COPY_H
#define WAVEFX_ROW_COPY_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "compiler_hints.h"
#include "debug_assert.h"
#include "isa_namespace.h"

#if defined(WAVEFX_ROWS_SSE2)
#include <emmintrin.h>
#endif
#if defined(WAVEFX_ROWS_AVX2)
#include <immintrin.h>
#endif

namespace wavefx {
inline namespace WAVEFX_ISA {

// Up to this many bytes are copied inline; longer copies go to memcpy or
// memmove, whose wide stores win there and whose call cost no longer shows.
constexpr size_t kInlineCopyBytes = 2048;

#if defined(WAVEFX_ROWS_AVX2)
constexpr size_t kVectorBytes = 32;
using Vector = __m256i;
inline Vector load_vector(const uint8_t *from) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(from));
}
inline void store_vector(uint8_t *to, Vector v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i *>(to), v);
}
inline Vector zero_vector() {
  return _mm256_setzero_si256();
}
#elif defined(WAVEFX_ROWS_SSE2)
constexpr size_t kVectorBytes = 16;
using Vector = __m128i;
inline Vector load_vector(const uint8_t *from) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i *>(from));
}
inline void store_vector(uint8_t *to, Vector v) {
  _mm_storeu_si128(reinterpret_cast<__m128i *>(to), v);
}
inline Vector zero_vector() {
  return _mm_setzero_si128();
}
#else
// No vectors: copies go to memcpy at any length, and this only splits the
// row loops by width.
constexpr size_t kVectorBytes = 8;
#endif

// Whether [a, a + a_bytes) and [b, b + b_bytes) share no byte.
inline bool ranges_apart(const void *a, size_t a_bytes, const void *b, size_t b_bytes) {
  const uintptr_t a_start = reinterpret_cast<uintptr_t>(a);
  const uintptr_t b_start = reinterpret_cast<uintptr_t>(b);
  return b_start - a_start >= a_bytes && a_start - b_start >= b_bytes;
}

// Moves `bytes` (sizeof(Word) .. 2 * sizeof(Word)) with two possibly
// overlapping moves of one Word, the first at the start, the second ending at
// the end. Both are loaded before either is stored, so this is also a memmove.
template <typename Word>
inline void move_head_and_tail(uint8_t *destination, const uint8_t *source, size_t bytes) {
  WAVEFX_ASSERT(bytes >= sizeof(Word) && bytes <= 2 * sizeof(Word));
  Word head, tail;
  std::memcpy(&head, source, sizeof(Word));
  std::memcpy(&tail, source + bytes - sizeof(Word), sizeof(Word));
  std::memcpy(destination, &head, sizeof(Word));
  std::memcpy(destination + bytes - sizeof(Word), &tail, sizeof(Word));
}

// memcpy(destination, source, bytes) for ranges known to be apart. Short
// ranges are copied inline with vector loads and stores, the last one ending
// exactly at the range's end (it may rewrite bytes already written, with the
// same values).
inline void copy_apart(uint8_t *destination, const uint8_t *source, size_t bytes) {
  WAVEFX_ASSERT(ranges_apart(destination, bytes, source, bytes));
#if defined(WAVEFX_ROWS_SSE2)
  if (bytes <= kInlineCopyBytes) {
    if (bytes >= kVectorBytes) {
      // The first vector as it falls, the middle ones stored at aligned
      // addresses (a store across two cache lines costs more than such a
      // load), the last one ending at the range's end. Sources are reached
      // as destination + distance, so the loop moves one pointer: the 32-bit
      // build has registers for that, not for two pointers and a count.
      const uintptr_t distance =
          reinterpret_cast<uintptr_t>(source) - reinterpret_cast<uintptr_t>(destination);
      const auto from = [distance](const uint8_t *to) {
        return reinterpret_cast<const uint8_t *>(reinterpret_cast<uintptr_t>(to) + distance);
      };
      uint8_t *const last = destination + bytes - kVectorBytes;
      store_vector(destination, load_vector(source));
      uint8_t *to = reinterpret_cast<uint8_t *>(
          (reinterpret_cast<uintptr_t>(destination) + kVectorBytes) & ~uintptr_t{kVectorBytes - 1});
      // On a 32-byte boundary (2 to 6 bytes before the entry test, as GCC
      // lays it out) the loop, under 20 bytes, never crosses a 64-byte line,
      // which halved its speed where the 32-bit build left it across one.
      WAVEFX_ALIGN_NEXT_LOOP();
      for (; to < last; to += kVectorBytes) store_vector(to, load_vector(from(to)));
      store_vector(last, load_vector(from(last)));
      return;
    }
#if defined(WAVEFX_ROWS_AVX2)
    if (bytes >= 16) {
      const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i *>(source));
      const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i *>(source + bytes - 16));
      _mm_storeu_si128(reinterpret_cast<__m128i *>(destination), head);
      _mm_storeu_si128(reinterpret_cast<__m128i *>(destination + bytes - 16), tail);
      return;
    }
#endif
    if (bytes >= 8) {
      // Through vector registers: a 32-bit build would need two general
      // registers per 8-byte word, and runs short of them in the row loops.
      // Exactly 8 bytes are one move: GCC does not always see that the two
      // below would store the same word twice.
      if (bytes == 8)
        return _mm_storel_epi64(reinterpret_cast<__m128i *>(destination),
                                _mm_loadl_epi64(reinterpret_cast<const __m128i *>(source)));
      const __m128i head = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(source));
      const __m128i tail = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(source + bytes - 8));
      _mm_storel_epi64(reinterpret_cast<__m128i *>(destination), head);
      _mm_storel_epi64(reinterpret_cast<__m128i *>(destination + bytes - 8), tail);
      return;
    }
    if (bytes >= 4) return move_head_and_tail<uint32_t>(destination, source, bytes);
    for (size_t i = 0; i < bytes; ++i) destination[i] = source[i];
    return;
  }
#endif
  std::memcpy(destination, source, bytes);
}

// memmove(destination, source, bytes): copy_apart where the two ranges are
// apart; overlapping ranges, possible when a host hands one bitmap over as
// both frame and background, take memmove.
inline void move_bytes(uint8_t *destination, const uint8_t *source, size_t bytes) {
  if (bytes <= kInlineCopyBytes && ranges_apart(destination, bytes, source, bytes))
    return copy_apart(destination, source, bytes);
  std::memmove(destination, source, bytes);
}

// Zeroes the first `bytes` (at most `width`) of a row of `width` bytes
// (from_end false) or its last `bytes` (from_end true). Where the row is wide
// enough, clears whole vectors (or a word) from that edge instead, possibly
// more than `bytes`: the caller then writes the rest of the row.
inline void clear_edge(uint8_t *row, size_t width, size_t bytes, bool from_end) {
  WAVEFX_ASSERT(bytes <= width);
  if (bytes == 0) return;
#if defined(WAVEFX_ROWS_SSE2)
  if (width >= kVectorBytes && bytes <= kInlineCopyBytes) {
    if (bytes <= kVectorBytes) {
      store_vector(from_end ? row + width - kVectorBytes : row, zero_vector());
      return;
    }
    uint8_t *start = from_end ? row + width - bytes : row;
    size_t done = 0;
    for (; done + kVectorBytes <= bytes; done += kVectorBytes)
      store_vector(start + done, zero_vector());
    if (done < bytes) store_vector(start + bytes - kVectorBytes, zero_vector());
    return;
  }
#endif
  if (bytes <= 8 && width >= 8) {
    const uint64_t zero = 0;
    std::memcpy(from_end ? row + width - 8 : row, &zero, 8);
    return;
  }
  std::memset(from_end ? row + width - bytes : row, 0, bytes);
}

}  // namespace WAVEFX_ISA
}  // namespace wavefx

#endif  // WAVEFX_ROW_COPY_H
