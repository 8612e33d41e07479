// The frame hook's work with an effect on: every frame row written from the
// background as the effect decides. Built for the SSE2 baseline and with
// AVX2 on x86 (wave_rows_sse2.cpp, wave_rows_avx2.cpp), and without vector
// instructions (wave_rows_portable.cpp) for other targets; the hook picks
// one by cpu_features(). All write the same bytes.
#ifndef WAVEFX_WAVE_ROWS_H
#define WAVEFX_WAVE_ROWS_H

namespace wavefx {

// Row i shows background row trunc(i + amplitude * sin), clamped.
// Row i moves sideways by trunc(amplitude * sin), clamped.
inline namespace portable {
void apply_ripple();
void apply_distortion();
}  // namespace portable

inline namespace sse2 {
void apply_ripple();
void apply_distortion();
}  // namespace sse2

inline namespace avx2 {
void apply_ripple();
void apply_distortion();
}  // namespace avx2

}  // namespace wavefx

#endif  // WAVEFX_WAVE_ROWS_H
