// The engine's 3D layer: brought up once per top-level run of the game by wre_Init (renderer probe,
// colour scales, every pool of the engine, the drawing-context list and the fonts) and taken down
// by wre_Shutdown. Also the renderer availability probe.
#pragma once
#include <cstdint>

// 1 between a successful wre_Init and wre_Shutdown.
extern int32_t gEngineStarted;

// 0 on success, -1 on failure (what was set up is taken down again), or the font start-up's code.
// unused is not read; the two renderer values are kept by the renderer settings and never read;
// the collision values size the collision buffers (candidates, points).
int32_t wre_Init(int32_t rendererKind, int32_t materialCount, int32_t textureCount, int32_t unused,
                 int32_t visibleObjectCapacity, int32_t vertexScratchCapacity, int32_t polygonQueueCapacity,
                 int32_t rendererUnreadFirst, int32_t rendererUnreadSecond, int32_t collisionCandidates,
                 int32_t collisionPoints);
// -1 when not started, else the font shut-down's result.
int32_t wre_Shutdown();

// Recomputes the availability bits: software always, Direct3D when a display driver with a usable
// 3D device exists; OpenGL and kind 104 are cleared.
void wre_RendererProbe();
// Runs the probe; 0xFF when the kind is available, else 0 (also for kinds outside 100-104).
uint8_t wre_RendererQueryAvailable(int32_t kind);

// gColourMax, gColourMaxAlpha, gColourToByte for a renderer kind: 255, 255, 1 for 100, 103 and 104;
// 1, 1, 255 for the others.
void wre_ColourScalesForKind(int32_t kind);
