#include "engine/core/colour_scale.h"

float gColourMax = 255.0f;
float gColourMaxAlpha = 255.0f;
float gColourToByte = 1.0f;
