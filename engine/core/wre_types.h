// Engine-wide types and result codes.
#pragma once
#include <cstdint>

// Result codes: 0 is success; engine errors are negative, in bands per module.
enum : int32_t {
  kWreOk = 0,
  kWreErrNull = -1000,        // a null argument
  kWreErrRange = -1010,       // a value out of range
  kWreErrNoMemory = -5000,    // out of memory
  kWreQueueFull = -10011,     // a polygon queue was full and the polygon was dropped
  kWreErrCreate = -20000,     // object creation failed
};

// Renderer kinds.
enum RendererKind : int32_t {
  kRendererSoftware = 100,
  kRendererOpenGL = 101,
  kRendererNone = 102,
  kRendererDirect3D = 103,
  kRenderer3dfx = 104,
};

// Four floats: points (w = 0 for object points), planes (w = d), box corners, transform axes.
struct Point4 {
  float x;
  float y;
  float z;
  float w;
};
