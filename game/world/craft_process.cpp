#include "game/world/craft_process.h"

#include "engine/core/object.h"
#include "engine/core/process.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/craft_ai.h"
#include "game/world/craft_spray.h"
#include "game/world/game_object.h"
#include "game/world/game_sounds.h"
#include "game/world/race_camera.h"
#include "game/world/rider.h"
#include "game/world/watercraft.h"

int32_t CraftProcess(ProcessNode* node) {
  if (gPaused) return 0;
  auto* object = node ? static_cast<GameObject*>(node->user1) : nullptr;
  auto* view = static_cast<ViewComponents*>(node ? node->user2 : nullptr);
  Watercraft* craft = object ? object->craft : nullptr;
  if (!craft || !craft->craftObject) return kWreErrNull;
  const float* at = craft->craftObject->transform.position;
  for (int i = 0; i < 3; ++i) craft->previousPosition[i] = at[i];

  int32_t result = CraftMotionStep(craft, view);
  // The computer rider acts after the move: its controls take effect in the next call.
  if (result == 0 && (object->controlKind & kControlComputer) && !(object->controlKind & kControlFinished)) {
    result = CraftAIRun(craft, view);
  }
  RiderUpdate(craft, view);
  if (result == 0) result = CraftSprayUpdate(craft);
  if (result == 0 && (object->flags & kGameObjectCameraFollows)) RaceCameraPlace(view, false);
  if (result != 0) return result;
  CraftPositionStore(craft);
  if (craft->flags & kCraftThrowPending) return RiderThrowStart(craft, view);
  if (craft->flags & kCraftRiderThrown) return RiderThrowUpdate(craft, view);
  return 0;
}

void CraftPositionStore(Watercraft* craft) {
  if (!craft || !craft->craftObject) return;
  const float* at = craft->craftObject->transform.position;
  craft->currentPosition.x = at[0];
  craft->currentPosition.y = at[1];
  craft->currentPosition.z = at[2];
  MotorSoundUpdate(craft);
}
