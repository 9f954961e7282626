// The intros shown once before the first menu page of a run: the publisher's video, the
// developer's logo scene (a turning mascot lit by two orbiting coloured lights, with its sound),
// the co-developer's video, and the title scene (six title tiles over a sky and live water, with
// the intro music). A key, a mouse button or the program's quit request cuts each one short; each
// leaves the data folder, the world, the textures, the materials and the sounds as it found them.
#pragma once
#include <cstdint>

struct ViewComponents;

// Runs the four intros in order while each returns 0 and the program has not been asked to quit;
// the result of the last one run. -1000 for a null view.
int32_t IntroSequencesRun(ViewComponents* view);

// One video each: the player's result (-1 when the video cannot be started).
int32_t IntroPublisherVideo(ViewComponents* view);
int32_t IntroCodeveloperVideo(ViewComponents* view);

// At most 480 ticks of the mascot, its last frame with the mascot's yaw reset, then a 30-tick
// pause. 0, or the failing texture or model load's result.
int32_t IntroDeveloperLogo(ViewComponents* view);
// At most 1800 ticks of the title over the live scene while the ambient light fades up to the
// world's own level, which is restored exactly at the end. 0 (also when its material cannot be
// defined), or the failing texture or model load's result.
int32_t IntroTitleScene(ViewComponents* view);
