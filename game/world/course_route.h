// The computer riders' course routes: read from the course's route file, or generated and written
// to it, at race set-up, and freed at teardown.
#pragma once
#include <cstdint>

struct ViewComponents;

// The route of the running course, linked for the riders. 0, or the generation's error.
int32_t RouteSetup(ViewComponents* view);
// Frees the route and clears the loaded flag. 0, or an error.
int32_t RouteTeardown();
