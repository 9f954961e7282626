// The back ends: one table of named operations per renderer kind, which frame control, clearing,
// depth handling and the texture table call without asking which kind they serve. A back end's
// state stays in its own files.
#pragma once
#include <cstdint>

struct Camera;
struct DrawingContext;
struct Offscreen;
struct Texture;

// An operation left null is one the kind does not have: it is passed over (and counts as 0).
struct RenderBackend {
  // Opens the device's scene before the frame; nonzero refuses the frame.
  int32_t (*beginScene)(Camera* camera);
  // Readies the frame: the depth cleared, and the colour too with clear; nonzero refuses the frame.
  int32_t (*beginFrame)(Camera* camera, uint8_t clear);
  // Draws the opaque, colour-keyed and translucent queues; the result is the flush's.
  int32_t (*drawQueues)(Camera* camera);
  // Closes the device's scene; nonzero fails the frame's end.
  int32_t (*endScene)(Camera* camera);
  // Ends the frame and shows it; nonzero fails the frame's end.
  int32_t (*endFrame)(Camera* camera);
  // Clears the context's frame to red, green, blue, alpha.
  int32_t (*clearFrame)(DrawingContext* context, const float* colour);
  // Starts a new depth layer: the depth buffer cleared, or the queued polygons grouped by depth.
  int32_t (*clearDepth)(Camera* camera);
  // Switches depth testing; switched on, the depth buffer starts again.
  void (*setDepthTest)(Camera* camera, uint8_t on);
  // Makes the kind's copy of a texture; 0 or the upload's failure.
  int32_t (*uploadTexture)(Texture* texture, Offscreen* offscreen, DrawingContext* context, int32_t mipCount,
                           Offscreen* const* mipOffscreens);
  // Gives the kind's copy of a texture back; 0 or the release's failure.
  int32_t (*releaseTexture)(Texture* texture);
  // The queues are drawn at the frame's end rather than at each flush, so they stay filled until
  // then; a pass drawn apart (the sky) closes a depth layer instead of drawing.
  bool queuesKeptToFrameEnd;
};

// Installs the table of a renderer kind (100 to 104); null removes it. The table is copied.
void wre_RenderBackendInstall(int32_t kind, const RenderBackend* backend);
// The kind's table, or null when it has none.
const RenderBackend* wre_RenderBackendOf(int32_t kind);

// The table of kind 104, which draws nothing: every step succeeds.
const RenderBackend& wre_NoDrawBackend();

// The texture table's way to the renderer: through the table of the context's kind. Upload: -1
// for a kind without a table or without uploads. Release: 0 when there is nothing to give back.
int32_t wre_RendererTextureUpload(Texture* texture, Offscreen* offscreen, DrawingContext* context, int32_t mipCount,
                                  Offscreen* const* mipOffscreens);
int32_t wre_RendererTextureRelease(Texture* texture);
