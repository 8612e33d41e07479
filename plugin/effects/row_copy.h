// Short copies of frame rows without a library call per row.
#ifndef WAVEFX_ROW_COPY_H
#define WAVEFX_ROW_COPY_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace wavefx {

// Up to this many bytes are copied inline; longer copies go to memmove,
// whose wide stores win there and whose call cost no longer shows.
constexpr size_t kInlineCopyBytes = 2048;

// memmove(destination, source, bytes). Where the two ranges are apart and
// short, copies them inline with 16-byte SSE2 loads and stores, the last one
// ending exactly at the range's end (it may rewrite bytes already written,
// with the same values). Overlapping ranges, possible when a host hands one
// bitmap over as both frame and background, take memmove.
inline void move_bytes(uint8_t *destination, const uint8_t *source, size_t bytes) {
#if defined(__SSE2__)
  const uintptr_t to = reinterpret_cast<uintptr_t>(destination);
  const uintptr_t from = reinterpret_cast<uintptr_t>(source);
  const bool apart = to - from >= bytes && from - to >= bytes;
  if (apart && bytes <= kInlineCopyBytes) {
    if (bytes >= 16) {
      size_t done = 0;
      for (; done + 16 <= bytes; done += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(destination + done),
                         _mm_loadu_si128(reinterpret_cast<const __m128i *>(source + done)));
      if (done < bytes)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(destination + bytes - 16),
                         _mm_loadu_si128(reinterpret_cast<const __m128i *>(source + bytes - 16)));
      return;
    }
    if (bytes >= 8) {
      uint64_t head, tail;
      std::memcpy(&head, source, 8);
      std::memcpy(&tail, source + bytes - 8, 8);
      std::memcpy(destination, &head, 8);
      std::memcpy(destination + bytes - 8, &tail, 8);
      return;
    }
    if (bytes >= 4) {
      uint32_t head, tail;
      std::memcpy(&head, source, 4);
      std::memcpy(&tail, source + bytes - 4, 4);
      std::memcpy(destination, &head, 4);
      std::memcpy(destination + bytes - 4, &tail, 4);
      return;
    }
    for (size_t i = 0; i < bytes; ++i) destination[i] = source[i];
    return;
  }
#endif
  std::memmove(destination, source, bytes);
}

}  // namespace wavefx

#endif  // WAVEFX_ROW_COPY_H
