#include "engine/core/colour_range.h"

float gColourMax = 0.0f;
float gColourMaxAlpha = 0.0f;
