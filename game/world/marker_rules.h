// The game mode's rules for the markers a racer passes, applied once per motion step after the
// craft has moved: rally gates and laps, treasure dollars and derby waypoints.
#pragma once

struct Transform;
struct ViewComponents;
struct Watercraft;

// start is the craft body's transform when the step began: the contact sweep runs from where the
// body now is back to it, so a craft that has not moved touches nothing.
void MarkerRulesApply(Watercraft* craft, const Transform* start, ViewComponents* view);
