#include "kroplay/record/frame_hash.h"

#include <cinttypes>

namespace kroplay {
namespace {

constexpr uint64_t kOffsetBasis = 14695981039346656037ull;
constexpr uint64_t kPrime = 1099511628211ull;

uint64_t fnv1a(uint64_t hash, const uint8_t *bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) hash = (hash ^ bytes[i]) * kPrime;
  return hash;
}

}  // namespace

uint64_t frame_hash(const uint8_t *pixels, size_t count, const Palette &palette) {
  return fnv1a(fnv1a(kOffsetBasis, pixels, count), palette.data(), palette.size());
}

void write_hash_line(std::FILE *out, int64_t number, uint64_t hash) {
  std::fprintf(out, "frame %" PRId64 " %016" PRIx64 "\n", number, hash);
}

}  // namespace kroplay
