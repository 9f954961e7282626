// The colour range of the selected renderer kind: material and light colours are floats in
// 0 .. gColourMax, alpha in 0 .. gColourMaxAlpha. The 3D start-up sets both for the renderer kind
// (255.0 for the software, Direct3D and kind-104 renderers, 1.0 for OpenGL); both are 0.0 before.
#pragma once

extern float gColourMax;
extern float gColourMaxAlpha;
