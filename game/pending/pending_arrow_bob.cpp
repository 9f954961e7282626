#include "game/shell/gate_arrow.h"
void ArrowBobProcess(void*) {}
