#include "engine/core/input.h"
#include "engine/core/timer.h"
#include "game/shell/confirm_prompt.h"
bool ConfirmPromptShow(const char*, ViewComponents*) {
  const uint32_t start = wre_TimerTick();
  while (wre_TimerTick() < start + 3600) {
    wre_MessagePump();
    const KeyCode key = wre_KeyBufferGet(0);
    if (key != 0) return key == 'y' || key == 'Y';
  }
  return false;
}
