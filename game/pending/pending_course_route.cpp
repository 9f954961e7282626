#include "game/world/course_route.h"
int32_t RouteSetup(ViewComponents*) { return 0; }
int32_t RouteTeardown() { return 0; }
