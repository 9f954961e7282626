// The game's one camera: made at game start-up for the whole run and drawn through by the menus,
// the races and the result screens; during a race the view key cycles its view mode.
#pragma once
#include <cstdint>

struct Camera;
struct ViewComponents;

// The chase view's yaw about the craft, in 4096ths of a turn; every view change resets it.
inline int32_t gCameraYaw = 0;

// A camera whose view of (right - left) x (bottom - top) pixels is centred in the 640 x 480 screen
// (halves rounded toward zero), seeing from 500 to 554400 with a black background and a black
// depth cue from 388080 to 548856. Null when the renderer cannot make it.
Camera* GameCameraCreate(int16_t left, int16_t top, int16_t right, int16_t bottom,
                         float projectionScale, int32_t flags);
// Disposes the camera with its drawing context; null is ignored.
void GameCameraFree(Camera* camera);

// The next view mode (chase, on-board, overhead, then chase again; -1 becomes chase), with the
// chase yaw reset and the camera snapped to its new place.
void RaceCameraCycleView(ViewComponents* view);

// Places the camera for the view mode: chasing behind the player's craft (smoothed, pulled in
// before scenery and kept above the ground), on board, or overhead from where the view was
// entered, turning to follow. snap jumps straight to the place. Nothing without a player's craft.
void RaceCameraPlace(ViewComponents* view, bool snap);
// Copies the camera's position into the view's camera position, which the sound listener follows.
void RaceCameraPositionCopy(ViewComponents* view);
