// The two start-up dialog boxes, "Rendering Engine" and "Select Output Device", on the platform's
// dialog toolkit. Each runs modally, owned by the game window, and answers how it ended; the
// choice comes back through its pointer (kept as given when the box cannot be shown).
#pragma once
#include <cstdint>

enum DialogAnswer : int {
  kDialogNotShown = -1,  // no display, or the box could not be made
  kDialogOk = 1,
  kDialogCancel = 2,
};

constexpr int kDeviceNameSize = 256;

struct RendererAvailability {
  bool (*available)(int32_t kind);
};

// Radio buttons for Direct3D and software (OpenGL's stays hidden); a kind that is not available is
// greyed. `choice` holds the checked kind (any kind but OpenGL and Direct3D checks software).
int RendererDialogShow(int32_t* choice, const RendererAvailability* available);

// A sorted drop-down list of `count` device names; `choice` is the chosen device's index in
// `names`, whatever its place in the sorted list.
int DeviceDialogShow(const char (*names)[kDeviceNameSize], int32_t count, int32_t* choice);
