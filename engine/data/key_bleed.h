// Colour-keyed images for the filtering hardware renderers. A filtered texture mixes each key
// texel's colour into the edge of what it surrounds before the alpha test or blend drops the key,
// so the key colour would show as a thin fringe. Key texels are given the colour of the texels
// beside them instead, keeping their transparency, so the mixed edge holds only the picture's own
// colours.
#pragma once
#include <cstdint>

// An image of red, green, blue, alpha bytes, `rowBytes` apart. Every texel of alpha 0 with a
// non-transparent texel among its eight neighbours (wrapping at the sides, as repeated texture
// coordinates do) takes their mean colour; its alpha stays 0. Other texels are left alone.
void wre_KeyTexelsBleed(uint8_t* rgba, int32_t width, int32_t height, int32_t rowBytes);
