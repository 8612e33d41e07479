// Nearest-neighbour upscaling of indexed frames by a whole factor: each
// screen pixel becomes a factor x factor block, so no new colours appear.
#ifndef KROPLAY_NEAREST_SCALE_H
#define KROPLAY_NEAREST_SCALE_H

#include <cstdint>
#include <vector>

namespace kroplay {

// The most pixels a scaled frame or PNG image may hold: 8192x8192.
constexpr int64_t kMaxScaledPixels = int64_t{1} << 26;

// Writes `width` pixels of `row`, each repeated `factor` times, to `out`
// (width * factor bytes).
void scale_row(const uint8_t *row, int32_t width, int factor, uint8_t *out);

// `pixels` (width x height) scaled by `factor` into `out`. The caller keeps
// the size within kMaxScaledPixels.
void scale_frame(const uint8_t *pixels, int32_t width, int32_t height, int factor,
                 std::vector<uint8_t> &out);

}  // namespace kroplay

#endif  // KROPLAY_NEAREST_SCALE_H
