// Conversion of the software frame from 555 to 565 pixels, in place.
#pragma once
#include <cstdint>

// For each of height rows (rows rowBytes apart), the first (width >> 1) pixel pairs: red and green
// move up one bit and the new lowest green bit repeats the old one; bit 15 is dropped. With an odd
// width the last pixel of each row stays as it is. Nothing for a width below 2 or no rows.
void wre_SoftFrameConvert565(uint16_t* firstPixel, int32_t width, int32_t height, int32_t rowBytes);
