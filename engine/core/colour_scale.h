// The colour scales of the chosen renderer kind. Material colours are stored in 0 .. gColourMax
// (alpha in 0 .. gColourMaxAlpha); gColourToByte turns a stored component into 0..255.
// The 3D start-up sets them per renderer kind: 255, 255, 1 for the software and Direct3D kinds,
// 1, 1, 255 for the others. Until then they hold the software renderer's values.
#pragma once

extern float gColourMax;
extern float gColourMaxAlpha;
extern float gColourToByte;
