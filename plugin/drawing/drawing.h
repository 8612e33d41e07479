// Drawing into the host's background bitmap and screen-size queries. Script
// functions, called only from the host's thread after kromain. What they draw
// persists and reaches the screen through the frame hook.
#ifndef WAVEFX_DRAWING_H
#define WAVEFX_DRAWING_H

#include <cstdint>

namespace wavefx {

// A colour argument as a palette index: above 255 gives 255, below 0 gives 0.
uint8_t clamp_colour(int32_t colour);

void FILL();       // (colour)         [-1, +1] -> 0
void PUT_HLINE();  // (row, colour)    [-2, +1] -> 0
void PUT_VLINE();  // (column, colour) [-2, +1] -> 0
void HOW_WIDE();   // ()               [-0, +1] -> current width
void HOW_HIGH();   // ()               [-0, +1] -> current height

}  // namespace wavefx

#endif  // WAVEFX_DRAWING_H
