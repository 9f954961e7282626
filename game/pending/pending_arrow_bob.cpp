#include "game/shell/gate_list.h"
void ArrowBobProcess(void*) {}
